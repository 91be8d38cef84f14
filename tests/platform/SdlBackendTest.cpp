#include "platform/sdl2/SdlBackend.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/AppResources.h"
#include "platform/sdl2/WindowHost.h"
#include "tests/support/RecordingWindowProcedure.h"

namespace {

using platform::Size;
namespace wm = platform::wm;

// SDL's dummy video driver: a real SDL window and renderer without a display.
class SdlBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::string error;
    backend_ = platform::SdlBackend::Create(Size{240, 320}, 2, "test", error);
    ASSERT_NE(backend_, nullptr) << error;
    window_ = std::make_unique<platform::Window>(*backend_, Size{240, 320}, u"Vornalo Mobile");
    window_->SetResources(app::VornaloResources());
    window_->Create(procedure_);
    window_->RunUntilIdle();
  }
  void TearDown() override {
    window_.reset();
    backend_.reset();
  }
  void Push(const SDL_Event& event) {
    SDL_Event copy = event;
    ASSERT_EQ(SDL_PushEvent(&copy), 1);
  }
  void PushKey(SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = sym;
    key.key.keysym.mod = mod;
    Push(key);
  }

  std::unique_ptr<platform::SdlBackend> backend_;
  std::unique_ptr<platform::Window> window_;
  testsupport::RecordingWindowProcedure procedure_;
};

TEST_F(SdlBackendTest, ZoomNeverChangesTheCoordinatesTheApplicationSees) {
  SDL_Event down{};
  down.type = SDL_MOUSEBUTTONDOWN;
  down.button.button = SDL_BUTTON_LEFT;
  down.button.x = 2 * 10;
  down.button.y = 2 * (26 + 50);
  Push(down);
  SDL_Event up = down;
  up.type = SDL_MOUSEBUTTONUP;
  up.button.x = 2 * 30;
  Push(up);
  backend_->PumpEvents(*window_, 0);
  window_->RunUntilIdle();
  auto stylus = procedure_.Only({wm::kStylusDown, wm::kStylusUp});
  ASSERT_EQ(stylus.size(), 2u);
  EXPECT_EQ(platform::LowWord(stylus[0].lParam), 10);
  EXPECT_EQ(platform::HighWord(stylus[0].lParam), 50);
  EXPECT_EQ(platform::LowWord(stylus[1].lParam), 30);
}

TEST_F(SdlBackendTest, KeysTextAndAcceleratorsBecomeMessages) {
  PushKey(SDLK_DOWN);
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  std::snprintf(text.text.text, sizeof text.text.text, "%s", "c");
  Push(text);
  PushKey(SDLK_q, KMOD_LCTRL);
  backend_->PumpEvents(*window_, 0);
  window_->RunUntilIdle();
  auto input = procedure_.Only({wm::kKeyDown, wm::kChar, wm::kCommand, wm::kDestroy});
  ASSERT_GE(input.size(), 3u);
  EXPECT_EQ(input[0].id, wm::kKeyDown);
  EXPECT_EQ(input[0].wParam, platform::vk::kDown);
  EXPECT_EQ(input[1].id, wm::kChar);
  EXPECT_EQ(input[1].wParam, static_cast<std::uintptr_t>('c'));
  EXPECT_EQ(input[2].id, wm::kCommand);
  EXPECT_EQ(input[2].wParam, app::kExitCommand);
}

TEST_F(SdlBackendTest, AWakeFromAnotherThreadEndsTheWait) {
  std::thread poster([this] { window_->Post(12024); });
  EXPECT_TRUE(window_->RunUntil([this] { return !procedure_.Only({12024}).empty(); }, std::chrono::seconds(5)));
  poster.join();
}

// Ctrl+Plus and Ctrl+Minus change the zoom between 1 and 8, report each change and never reach
// the application.
TEST_F(SdlBackendTest, CtrlPlusAndMinusChangeTheZoom) {
  std::vector<int> reported;
  std::string error;
  window_.reset();
  backend_ = platform::SdlBackend::Create(Size{240, 320}, 2, "test", error, [&](int zoom) { reported.push_back(zoom); });
  ASSERT_NE(backend_, nullptr) << error;
  window_ = std::make_unique<platform::Window>(*backend_, Size{240, 320}, u"Vornalo Mobile");
  window_->Create(procedure_);
  auto key = [&](SDL_Keycode sym) {
    PushKey(sym, KMOD_LCTRL);
    backend_->PumpEvents(*window_, 0);
  };
  for (SDL_Keycode sym : {SDLK_EQUALS, SDLK_KP_PLUS, SDLK_MINUS, SDLK_KP_MINUS, SDLK_MINUS, SDLK_MINUS}) key(sym);
  EXPECT_EQ(reported, (std::vector<int>{3, 4, 3, 2, 1}));  // no report below 1
  key(SDLK_PLUS);
  window_->RunUntilIdle();
  EXPECT_TRUE(procedure_.Only({wm::kKeyDown}).empty());
  EXPECT_EQ(reported.back(), 2);
}

TEST(AutomaticZoomTest, LargestWholeZoomWithin85PercentOfTheUsableHeight) {
  struct Case {
    std::int32_t screen, usable;
    int zoom;
  };
  for (const Case& c : {Case{320, 1040, 2}, Case{320, 1400, 3}, Case{320, 2100, 5}, Case{320, 376, 1},
                        Case{320, 200, 1}, Case{120, 4000, 8}, Case{640, 1040, 1}, Case{240, 1058, 3}}) {
    EXPECT_EQ(platform::AutomaticZoom(c.screen, c.usable), c.zoom) << c.screen << " on " << c.usable;
  }
}

// The values themselves are read through the client's options; here: only the window's
// options are taken out of the list, and bad values are refused.
TEST(WindowOptionsTest, TakesOutItsOptionsAndRefusesBadValues) {
  std::vector<std::string> args = {"--server", "http://x", "--screen", "800x480", "--zoom", "2", "--script", "a.txt"};
  platform::WindowOptions options;
  std::string error;
  ASSERT_TRUE(platform::ParseWindowOptions(args, options, error)) << error;
  EXPECT_EQ(args, (std::vector<std::string>{"--server", "http://x"}));
  EXPECT_EQ(options.screen, (Size{800, 480}));
  for (std::vector<std::string> bad : {std::vector<std::string>{"--screen", "800"}, {"--screen", "10x10"},
                                       {"--zoom", "0"}, {"--zoom"}}) {
    platform::WindowOptions o;
    EXPECT_FALSE(platform::ParseWindowOptions(bad, o, error)) << bad[0];
  }
}

}  // namespace
