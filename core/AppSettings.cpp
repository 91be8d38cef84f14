#include "core/AppSettings.h"

#include <cstring>

#include "core/Utilities.h"
#include "platform/DebugLog.h"
#include "platform/DeviceIdentity.h"
#include "platform/TextCodec.h"

namespace core {

namespace {

struct Theme {
  const char* name;
  std::uint32_t color;  // 0x00BBGGRR
};

constexpr Theme kThemes[AppSettings::kThemeCount] = {
    {"Basic Black", 0x00000000},  {"Titanium Gray", 0x008B8B8B}, {"Modernist White", 0x00EFEFEF},
    {"Wild Purple", 0x00943F47},  {"Jazzy Blue", 0x00D28E00},    {"Go-Go Green", 0x001FC285},
    {"Electric Yellow", 0x0000DEFE}, {"Juicy Orange", 0x001788F0}, {"RPM Red", 0x001500D9},
    {"Gothic Magenta", 0x008D2BDB},
};

constexpr char kApplicationData[] = "VornaloMobile";  // 13 characters, no terminator sent
constexpr int kRegistryKeyNotFound = 2;
constexpr int kRegistryWriteFault = 29;

int DefaultDeviceId(std::uint8_t* out, std::size_t* length) {
  return platform::GetDeviceUniqueID(reinterpret_cast<const std::uint8_t*>(kApplicationData),
                                     sizeof kApplicationData - 1, 1, out, length);
}

}  // namespace

const char* AppSettings::BuiltInApiKey() { return VORNALO_API_KEY; }

AppSettings::AppSettings(platform::RegistryStore& store) : AppSettings(store, DefaultDeviceId) {}

AppSettings::AppSettings(platform::RegistryStore& store, const DeviceIdSource& deviceIdSource)
    : store_(store) {
  for (int i = 0; i < kThemeCount; ++i) {
    themeColors[i] = kThemes[i].color;
    std::memset(themeNames[i], 0, kThemeNameSize);
    std::strncpy(themeNames[i], kThemes[i].name, kThemeNameSize - 1);
  }
  overlayColor = kDefaultTheme;
  currentSkinName = platform::Utf8ToUtf16(kDefaultSkinName);
  apiKey.clear();

  // A failed identifier call leaves the buffer zero: such devices all send the same value.
  std::uint8_t id[platform::kDeviceIdLength + 1] = {};
  std::size_t length = sizeof id;
  if (deviceIdSource(id, &length) != 0) platform::DebugOutput("device identifier unavailable");
  char base64[32];
  Base64Encode(id, platform::kDeviceIdLength, base64, sizeof base64);
  deviceId = UrlEncode(base64, kDeviceIdCapacity);

  apiKey = platform::Utf8ToUtf16(BuiltInApiKey());
  Load();
}

int AppSettings::Load() {
  apiKey = platform::Utf8ToUtf16(BuiltInApiKey());
  auto keys = store_.ReadAll();
  auto key = keys.find(kRegistryKey);
  if (key == keys.end()) return kRegistryKeyNotFound;
  const auto& values = key->second;

  auto skin = values.find("currentSkinName");
  if (skin != values.end() && skin->second.type == platform::RegistryValue::Type::String &&
      skin->second.ByteSize() <= kSkinNameMaxBytes) {
    currentSkinName = skin->second.text;
  }
  auto theme = values.find("overlayColor");
  if (theme != values.end() && theme->second.type == platform::RegistryValue::Type::Dword) {
    overlayColor = theme->second.number;
  }
  if (overlayColor >= kThemeCount) {
    platform::DebugPrintf("stored theme %u is out of range; using %u", overlayColor, kDefaultTheme);
    overlayColor = kDefaultTheme;
  }
  return 0;
}

int AppSettings::Save() {
  bool ok = store_.SetValues(kRegistryKey,
                             {{"currentSkinName", platform::RegistryValue::String(currentSkinName)},
                              {"overlayColor", platform::RegistryValue::Dword(overlayColor)}});
  return ok ? 0 : kRegistryWriteFault;
}

void AppSettings::SetSkinName(const std::u16string& name) {
  currentSkinName = name.substr(0, platform::Utf16PrefixLength(name, kSkinNameCapacity));
}

void AppSettings::NextTheme() {
  overlayColor = overlayColor + 1 >= kThemeCount ? 0 : overlayColor + 1;
}

std::uint32_t AppSettings::CurrentThemeColor() const {
  return themeColors[overlayColor < kThemeCount ? overlayColor : kDefaultTheme];
}

}  // namespace core
