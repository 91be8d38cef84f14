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
  app::AppOptions options;
  std::string error;
  switch (app::ParseAppOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case app::AppOptions::Outcome::kHelp:
      std::fputs(app::AppUsage(), stdout);
      return 0;
    case app::AppOptions::Outcome::kError:
      std::fprintf(stderr, "vornalo: %s\n\n%s", error.c_str(), app::AppUsage());
      return kUsageExitCode;
    case app::AppOptions::Outcome::kSetCallCount:
      return app::SetCallCount(options);
    case app::AppOptions::Outcome::kRun:
      break;
  }
  app::ApplicationParts parts;
  parts.drawSplash = screens::DrawSplash;
  parts.makeApplication = [](app::AppContext& context) { return std::make_unique<app::Application>(context); };
  return app::RunVornalo(options, parts);
}
