#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/StartupUi.h"
#include "core/ProductSites.h"

namespace app {

// Asks the product's web server whether this version may still be used, once per start, on
// the main thread before the window exists, and acts on the answer: the update questions,
// the browser, or "Connection Failure" when the server stays silent.
class VersionCheck {
 public:
  static constexpr std::int32_t kPlatformCode = 2;
  static constexpr std::int32_t kDefaultTimeoutMs = 7500;
  static constexpr const char* kVersionPath = "/mobile/wm/downloads/version.php";
  static constexpr const char* kDownloadPagePath = "/wm/downloads";
  // The product's download site (the catalogue server serves no download page).
  static constexpr const char* kDefaultDownloadSite = core::kProductSite;

  struct Options {
    std::string serverUrl;  // "http://host[:port]": the version check's host
    std::string downloadSite = kDefaultDownloadSite;
    std::int32_t resolutionCode = 99;
    std::int32_t timeoutMs = kDefaultTimeoutMs;
  };

  // What a reply body asks for.
  struct Reply {
    enum class Kind { kNothing, kUpdate, kUnsupportedPlatform };
    Kind kind = Kind::kNothing;
    bool required = false;
    std::string url;  // kUpdate: where the new version is
  };

  VersionCheck(Options options, MessageBoxFunction messageBox)
      : options_(std::move(options)), messageBox_(std::move(messageBox)) {}

  // "<server>/mobile/wm/downloads/version.php?v=1.4&p=2&r=<resolutionCode>".
  std::string VersionUrl() const;

  // Runs the check. Returns 1 when the program must end (an update was accepted, or a
  // required one refused), else 0. `connectionFailure` is set when the server did not answer
  // within the time-out ("Connection Failure" was shown; the wait cursor was ended).
  int CheckVersion(bool& connectionFailure);

  // Reads a reply body: text up to the first NUL, trailing white space dropped, split at
  // commas (empty pieces skipped); an update needs a second piece that begins with "http".
  static Reply ParseReply(std::string_view body);

 private:
  // Asks whether to install the update; true when the program must end (accepted, or a
  // required one refused).
  bool AskForUpdate(const Reply& reply);

  Options options_;
  MessageBoxFunction messageBox_;
};

}  // namespace app
