#include "platform/window/ScriptDriver.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "app/AppResources.h"
#include "tests/support/RecordingWindowProcedure.h"
#include "tests/support/TempDir.h"
#include "ui/STScreenBuffer.h"

namespace {

using platform::Message;
using platform::Size;
namespace wm = platform::wm;

class ScriptDriverTest : public ::testing::Test {
 protected:
  explicit ScriptDriverTest(Size screen = Size{240, 320}) : window_(backend_, screen, u"Vornalo Mobile") {
    procedure_.handler = [](platform::Window& w, const Message& m) {
      if (m.id == wm::kCreate) w.SetMenuBar(app::kMainMenuBarResource);
      return false;
    };
    window_.SetResources(app::VornaloResources());
    window_.Create(procedure_);
  }
  int Run(const std::string& script) {
    platform::ScriptDriver driver(window_, backend_);
    std::istringstream in(script);
    return driver.Run(in, "test.script");
  }
  // The input messages the procedure saw, as text.
  std::vector<std::string> Input() const {
    std::vector<std::string> out;
    for (const Message& m : procedure_.messages) {
      std::string name;
      switch (m.id) {
        case wm::kStylusDown: name = "down"; break;
        case wm::kStylusMove: name = "move"; break;
        case wm::kStylusUp: name = "up"; break;
        case wm::kKeyDown: name = "key"; break;
        case wm::kChar: name = "char"; break;
        case wm::kCommand: name = "command"; break;
        default: continue;
      }
      if (m.id == wm::kKeyDown || m.id == wm::kChar || m.id == wm::kCommand) {
        out.push_back(name + " " + std::to_string(m.wParam));
      } else {
        out.push_back(name + " " + std::to_string(platform::LowWord(m.lParam)) + "," +
                      std::to_string(platform::HighWord(m.lParam)));
      }
    }
    return out;
  }

  std::vector<std::string> log_;
  platform::HeadlessBackend backend_{[this](const std::string& line) { log_.push_back(line); }};
  platform::Window window_;
  testsupport::RecordingWindowProcedure procedure_;
};

TEST_F(ScriptDriverTest, TapsStrokesAndKeysReachTheProcedureInOrder) {
  EXPECT_EQ(Run("tap 10 20\n"
                "# a comment\n"
                "stroke 200 100 20 100\n"
                "key Down\n"
                "key Enter\n"
                "char c\n"
                "text h\xc3\xa9\n"
                "tap 239 267\n"),
            0);
  EXPECT_EQ(Input(), (std::vector<std::string>{
                         "down 10,20", "up 10,20", "down 200,100", "move 155,100", "move 110,100", "move 65,100",
                         "up 20,100", "key 40", "key 13", "char 99", "char 104", "char 233", "down 239,267",
                         "up 239,267"}));
  EXPECT_EQ(log_.front(), "script: tap 10 20");
  EXPECT_EQ(procedure_.messages.back().id, wm::kDestroy);  // the end of the script closes the window
}

TEST_F(ScriptDriverTest, SoftKeysMenusAndAcceleratorsSendCommands) {
  EXPECT_EQ(Run("softkey left\n"
                "menu \"Color Themes... (C key)\"\n"
                "softkey right\n"
                "key Down\n"
                "key Down\n"
                "key Enter\n"
                "key Ctrl+A\n"
                "key F1\n"),
            0);
  // Down twice from "Clear Current Playlist" skips the separator to "Color Themes...".
  EXPECT_EQ(Input(), (std::vector<std::string>{"command 32772", "command 32775", "command 32775", "command 40002",
                                               "command 32772"}));
}

TEST_F(ScriptDriverTest, TapsOnTheSoftKeyBarAndTheMenu) {
  // The bar lies below the client area: client y 268 + 13 is the middle of the bar.
  EXPECT_EQ(Run("tap 200 281\n"    // Options: opens the menu
                "tap 100 100\n"    // outside the menu: only closes it
                "tap 30 281\n"),   // New Search
            0);
  EXPECT_EQ(Input(), (std::vector<std::string>{"command 32772"}));
}

TEST_F(ScriptDriverTest, WaitForSeesMessagesAndTextCausedFromAnotherThread) {
  testsupport::TempDir dir;
  procedure_.handler = [this](platform::Window&, const Message& m) {
    if (m.id == 12024) procedure_.screenText = {"tab 1 Featured", "text Playing \xc3\xa9"};
    return false;
  };
  window_.SetScreenshotDirectory(dir.Path().string());
  std::thread worker([this] {
    window_.Post(12024);
  });
  EXPECT_EQ(Run("post 1928 7 -1\n"
                "waitfor text \"Playing \xc3\xa9\" 5000\n"
                "waitfor message 12024 0\n"
                "dump " + (dir / "screen.txt").string() + "\n"
                "key F11\n"),
            0);
  worker.join();
  EXPECT_EQ(procedure_.Only({12024}).size(), 1u);
  ASSERT_EQ(procedure_.Only({1928}).size(), 1u);
  EXPECT_EQ(procedure_.Only({1928})[0].wParam, 7u);
  EXPECT_EQ(procedure_.Only({1928})[0].lParam, -1);
  EXPECT_EQ(testsupport::ReadFile(dir / "screen.txt"), "tab 1 Featured\ntext Playing \xc3\xa9\n");
  // F11 wrote the same into the screenshot folder, as on the desktop.
  EXPECT_EQ(testsupport::ReadFile(dir / "vornalo-screenshot-1.txt"), "tab 1 Featured\ntext Playing \xc3\xa9\n");
}

TEST_F(ScriptDriverTest, ErrorsEndTheScriptWithACode) {
  struct Case {
    const char* script;
    const char* error;
  } cases[] = {
      {"tap 1\n", "script error: test.script:1: expected 2 numbers"},
      {"key Hyper\n", "script error: test.script:1: unknown key: Hyper"},
      {"\nfly away\n", "script error: test.script:2: unknown command: fly"},
      {"waitfor message 12025 5\n", "script error: test.script:1: message 12025 did not arrive within 5 ms"},
      {"menu \"Nothing\"\n", "script error: test.script:1: no soft key or menu entry \"Nothing\""},
      {"char ab\n", "script error: test.script:1: expected one character"},
      {"waitfor text \"never shown\" 5\n", "script error: test.script:1: text \"never shown\" did not appear within 5 ms"},
      {"waitfor text\n", nullptr},
      {"screenshot /nonexistent-dir/x.png\n", nullptr},
      {"dump /nonexistent-dir/x.txt\n", nullptr},
      {"post 1928 x\n", "script error: test.script:1: expected: post ID [WPARAM [LPARAM]]"},
  };
  for (const Case& c : cases) {
    // A failed line closes the window: each case gets its own.
    std::vector<std::string> log;
    platform::HeadlessBackend backend{[&log](const std::string& line) { log.push_back(line); }};
    platform::Window window(backend, Size{240, 320}, u"Vornalo Mobile");
    testsupport::RecordingWindowProcedure procedure;
    procedure.handler = procedure_.handler;
    window.Create(procedure);
    platform::ScriptDriver driver(window, backend);
    std::istringstream in(c.script);
    EXPECT_EQ(driver.Run(in, "test.script"), platform::ScriptDriver::kScriptErrorExitCode) << c.script;
    if (c.error) {
      EXPECT_EQ(log.back(), c.error);
      EXPECT_EQ(driver.Error(), c.error);
    }
  }
}

// A failed line closes the window while the driver still lives, and the driver leaves nothing
// behind that the window could call once it is gone.
TEST_F(ScriptDriverTest, AFailedLineClosesTheWindowAndLeavesNoObserver) {
  EXPECT_EQ(Run("bogus\nquit\n"), platform::ScriptDriver::kScriptErrorExitCode);
  EXPECT_EQ(procedure_.messages.back().id, wm::kDestroy);
  EXPECT_FALSE(window_.IsCreated());
  // A window made again and destroyed dispatches to no observer of the dead driver.
  procedure_.messages.clear();
  ASSERT_TRUE(window_.Create(procedure_));
  window_.Destroy();
  EXPECT_EQ(procedure_.messages.back().id, wm::kDestroy);
}

// In soak mode every line is acknowledged once it has run, and a line that fails is logged
// and passed over: the script runs to its end.
TEST_F(ScriptDriverTest, SoakModeAcknowledgesEachLineAndGoesOnAfterAFailure) {
  platform::ScriptDriver driver(window_, backend_);
  driver.SetSoak(true);
  std::istringstream in("answer Yes\nmenu \"Nothing\"\n# note\ntap 5 6\n");
  EXPECT_EQ(driver.Run(in, "test.script"), 0);
  EXPECT_EQ(log_, (std::vector<std::string>{"script: answer Yes", "script: done", "script: menu \"Nothing\"",
                                            "script: failed: no soft key or menu entry \"Nothing\"",
                                            "script: tap 5 6", "script: done"}));
  EXPECT_EQ(Input(), (std::vector<std::string>{"down 5,6", "up 5,6"}));
}

TEST_F(ScriptDriverTest, AnswersFeedTheNextMessageBoxes) {
  procedure_.handler = [](platform::Window& w, const Message& m) {
    if (m.id == wm::kStylusUp) {
      auto result = w.ShowMessageBox(u"New Version Available", u"Get it now?", platform::MessageBoxButtons::kYesNo);
      w.Post(result == platform::MessageBoxResult::kYes ? 2000 : 2001);
    }
    return false;
  };
  EXPECT_EQ(Run("tap 1 1\nanswer Yes\ntap 2 2\nwaitfor message 2000 1000\nwaitfor message 2001 0\n"), 0);
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "MessageBox: New Version Available: Get it now?"), 2);
  std::istringstream leading("answer No\nanswer Yes\ntap 1 1\nanswer OK\n");
  platform::ScriptDriver::QueueLeadingAnswers(leading, backend_);
  EXPECT_EQ(window_.ShowMessageBox(u"a", u"b", platform::MessageBoxButtons::kYesNo), platform::MessageBoxResult::kNo);
  EXPECT_EQ(window_.ShowMessageBox(u"a", u"b", platform::MessageBoxButtons::kYesNo), platform::MessageBoxResult::kYes);
}

TEST_F(ScriptDriverTest, ScreenshotsAreScreenSizedPngs) {
  testsupport::TempDir dir;
  const std::string path = (dir / "shot.png").string();
  EXPECT_EQ(Run("softkey right\nscreenshot " + path + "\nquit\n"), 0);
  ui::STScreenBuffer shot;
  ASSERT_TRUE(shot.LoadPng(path.c_str()));
  EXPECT_EQ(shot.Width(), 240);
  EXPECT_EQ(shot.Height(), 320);
  // The client area is white; the bars are not.
  EXPECT_EQ(shot.DecodedPixel(5, 40) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(shot.DecodedPixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NE(shot.DecodedPixel(5, 315) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(ScriptLineTest, SplitsQuotedWordsAndKnowsKeyNames) {
  std::vector<std::string> words;
  std::string error;
  ASSERT_TRUE(platform::SplitScriptLine("menu \"Help (Launches Browser)...\"  x", words, error));
  EXPECT_EQ(words, (std::vector<std::string>{"menu", "Help (Launches Browser)...", "x"}));
  EXPECT_FALSE(platform::SplitScriptLine("menu \"open", words, error));
  std::uint32_t key = 0;
  bool ctrl = false, shift = false;
  ASSERT_TRUE(platform::ParseKeyName("Ctrl+q", key, ctrl, shift));
  EXPECT_EQ(key, static_cast<std::uint32_t>('Q'));
  EXPECT_TRUE(ctrl);
  ASSERT_TRUE(platform::ParseKeyName("F12", key, ctrl, shift));
  EXPECT_EQ(key, platform::vk::kF12);
  EXPECT_FALSE(platform::ParseKeyName("F13", key, ctrl, shift));
}

}  // namespace
