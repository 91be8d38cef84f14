#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/RegistryStore.h"

namespace core {

// The application version, sent as "v" with every catalogue request and the version check.
inline constexpr const char* appVersion = "1.4";

// The one settings object of the process: the colour themes and the chosen one, the chosen
// player skin, and the values every catalogue request carries ("sk", "di"). Only the skin name
// and the theme index are stored, under "Software\\Vornalo\\Main"; they are read when the
// object is built and written by Save, which the program calls once at normal exit.
// Not locked: changed only on the user-interface thread.
class AppSettings {
 public:
  static constexpr int kThemeCount = 10;
  static constexpr std::uint32_t kDefaultTheme = 4;
  static constexpr std::size_t kThemeNameSize = 20;
  static constexpr std::size_t kSkinNameCapacity = 259;  // 260 characters with the terminator
  static constexpr std::size_t kSkinNameMaxBytes = 520;  // the most Load reads of the value
  static constexpr std::size_t kDeviceIdCapacity = 255;
  static constexpr const char* kRegistryKey = "Software\\Vornalo\\Main";
  static constexpr const char* kDefaultSkinName = "Sunburst";

  // Fills `out` (capacity in *length bytes) with the device identifier; 0 on success.
  using DeviceIdSource = std::function<int(std::uint8_t* out, std::size_t* length)>;

  // Builds the defaults, computes the device identifier and loads the stored values.
  explicit AppSettings(platform::RegistryStore& store);
  AppSettings(platform::RegistryStore& store, const DeviceIdSource& deviceIdSource);

  // Reads the two stored values; 0 on success, else the key could not be opened and the
  // defaults stay. A stored theme outside 0..9 falls back to the default theme.
  int Load();
  // Creates the key when needed and writes both values; 0 on success.
  int Save();

  void SetSkinName(const std::u16string& name);
  void NextTheme();
  std::uint32_t CurrentThemeColor() const;

  std::uint32_t themeColors[kThemeCount];
  std::uint32_t overlayColor = kDefaultTheme;
  char themeNames[kThemeCount][kThemeNameSize];
  std::u16string currentSkinName;
  std::u16string apiKey;
  std::string deviceId;

  // The store the values live in (the phone-state watch reads the same store).
  platform::RegistryStore& Store() const { return store_; }

  // The key built into the program (a build setting).
  static const char* BuiltInApiKey();

 private:
  platform::RegistryStore& store_;
};

}  // namespace core
