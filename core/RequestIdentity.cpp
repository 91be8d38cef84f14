#include "core/RequestIdentity.h"

#include "core/AppSettings.h"
#include "platform/TextCodec.h"

namespace core {

RequestIdentity RequestIdentity::From(const AppSettings& settings) {
  return RequestIdentity{platform::Utf16ToUtf8(settings.apiKey), settings.deviceId};
}

std::string RequestIdentity::QuerySuffix() const {
  return "&sk=" + apiKey + "&v=" + appVersion + "&di=" + deviceId;
}

}  // namespace core
