// The program run in this process with the test's own application object.

#include <gtest/gtest.h>

#include <tuple>

#include "app/ShellWindow.h"
#include "app/VornaloProgram.h"
#include "core/AppSettings.h"
#include "core/WaitCursor.h"
#include "platform/RegistryStore.h"
#include "tests/app/ProgramRun.h"
#include "tests/support/ScriptedServer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ScriptedServer;

// What the test's application saw: its life in order (with the stored theme) and the wait cursor.
struct Observations {
  std::vector<std::string> events;
  bool waitCursorAtFirstPaint = false;
  bool waitCursorAfterFirstPaint = true;
};

// The shell window, changing the colour theme at its first paint as a user would.
class TestApplication : public platform::WindowProcedure {
 public:
  TestApplication(app::AppContext& context, Observations& seen) : context_(context), seen_(seen) {
    seen_.events.push_back("constructed for " + context.serverUrl);
  }
  ~TestApplication() override { seen_.events.push_back("destructed, stored " + StoredTheme()); }

  std::intptr_t OnMessage(platform::Window& window, const platform::Message& message) override {
    if (message.id == platform::wm::kPaint && !painted_) {
      painted_ = true;
      seen_.waitCursorAtFirstPaint = core::IsWaitCursorShown();
      context_.settings.NextTheme();
      std::intptr_t result = shell_.OnMessage(window, message);
      seen_.waitCursorAfterFirstPaint = core::IsWaitCursorShown();
      seen_.events.push_back("painted");
      return result;
    }
    if (message.id == platform::wm::kDestroy) seen_.events.push_back("destroyed, stored " + StoredTheme());
    return shell_.OnMessage(window, message);
  }

 private:
  std::string StoredTheme() const {
    auto value = platform::RegistryStore(context_.options.configDirectory)
                     .Query(core::AppSettings::kRegistryKey, "overlayColor");
    return value ? std::to_string(value->number) : "nothing";
  }

  app::AppContext& context_;
  Observations& seen_;
  app::ShellWindow shell_;
  bool painted_ = false;
};

class SettingsLifetimeTest : public apptest::ClientRunTest {
 protected:
  SettingsLifetimeTest() {
    options_.window.headless = true;
    options_.window.script = (dir_ / "script.txt").string();
    options_.configDirectory = (dir_ / "config").string();
    options_.dataDirectory = dir_.Path().string();
    options_.instanceDirectory = Runtime();
    options_.audio = app::AppOptions::AudioOutput::kNull;
    parts_.makeApplication = [this](app::AppContext& context) {
      return std::make_unique<TestApplication>(context, seen_);
    };
  }

  app::AppOptions options_;
  app::ApplicationParts parts_;
  Observations seen_;
};

// The splash comes before the version request; the wait cursor stays up until the first paint
// (a declined update too); that paint's settings are stored only after the window is gone.
TEST_F(SettingsLifetimeTest, WaitCursorUntilTheFirstPaintAndSettingsSavedLast) {
  const std::tuple<const char*, const char*, const char*> cases[] = {{"", "", "key Ctrl+Q"},
                                                                     {"optional,http://x/y", "answer No\n", "quit"}};
  for (const auto& [reply, answers, quit] : cases) {
    SCOPED_TRACE(reply);
    seen_ = Observations();
    platform::RegistryStore store(options_.configDirectory);
    ASSERT_TRUE(store.SetValue(core::AppSettings::kRegistryKey, "overlayColor", platform::RegistryValue::Dword(7)));
    ScriptedServer server(Reply(HttpResponse(reply, "text/plain")));
    options_.serverUrl = server.Url("");
    testsupport::WriteFile(options_.window.script, answers + std::string("waitfor message 15\n") + quit + "\n");
    bool splashBeforeRequest = false;
    parts_.drawSplash = [&](platform::Window&) { splashBeforeRequest = server.AcceptedCount() == 0; };

    EXPECT_EQ(app::RunVornalo(options_, parts_), 0);
    EXPECT_TRUE(splashBeforeRequest);
    EXPECT_TRUE(seen_.waitCursorAtFirstPaint);
    EXPECT_FALSE(seen_.waitCursorAfterFirstPaint);
    EXPECT_EQ(seen_.events, (std::vector<std::string>{"constructed for " + server.Url(""), "painted",
                                                      "destroyed, stored 7", "destructed, stored 7"}));
    EXPECT_EQ(store.Query(core::AppSettings::kRegistryKey, "overlayColor")->number, 8u);
  }
}

TEST_F(SettingsLifetimeTest, ApplicationThatCannotBeMadeIsAProgramError) {
  ScriptedServer server(Reply(HttpResponse("", "text/plain")));
  options_.serverUrl = server.Url("");
  testsupport::WriteFile(options_.window.script, "quit\n");
  parts_.makeApplication = [](app::AppContext&) { return std::unique_ptr<platform::WindowProcedure>(); };

  ::testing::internal::CaptureStdout();
  const int exitCode = app::RunVornalo(options_, parts_);
  const std::string log = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(log, "MessageBox: Program Error: Initialization has failed\n");
  // Settings are saved on every way out of the program.
  platform::RegistryStore store(options_.configDirectory);
  EXPECT_TRUE(store.Query(core::AppSettings::kRegistryKey, "overlayColor").has_value());
}

}  // namespace
