#pragma once

#include <string>

namespace core {

class AppSettings;

// What every catalogue request says about its sender: the API key ("sk"), the program's
// version ("v") and the device identifier ("di"). A value, so the catalogue and the track
// start need not hold the settings object.
struct RequestIdentity {
  std::string apiKey;  // UTF-8
  std::string deviceId;

  static RequestIdentity From(const AppSettings& settings);
  // "&sk=<key>&v=<version>&di=<device id>", the tail of every catalogue query.
  std::string QuerySuffix() const;
};

}  // namespace core
