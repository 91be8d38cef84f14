// vornalo: the Vornalo Mobile client.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/AppOptions.h"
#include "app/Application.h"
#include "app/VornaloProgram.h"
#include "screens/Splash.h"

namespace {

constexpr int kUsageExitCode = 2;

}  // namespace

int main(int argc, char** argv) {
  AppOptions options;
  std::string error;
  switch (ParseAppOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case AppOptions::Outcome::kHelp:
      std::fputs(AppUsage(), stdout);
      return 0;
    case AppOptions::Outcome::kError:
      std::fprintf(stderr, "vornalo: %s\n\n%s", error.c_str(), AppUsage());
      return kUsageExitCode;
    case AppOptions::Outcome::kSetCallCount:
      return SetCallCount(options);
    case AppOptions::Outcome::kRun:
      break;
  }
  ApplicationParts parts;
  parts.drawSplash = screens::DrawSplash;
  parts.makeApplication = [](AppContext& context) { return std::make_unique<Application>(context); };
  return RunVornalo(options, parts);
}
