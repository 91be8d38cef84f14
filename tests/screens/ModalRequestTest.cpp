// A catalogue request the server leaves waiting, in the search results screen on a headless
// window: presents go on, input waits, silence ends in "Server Problem", a close ends it at once.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/AppResources.h"
#include "core/ScreenMetrics.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "screens/SearchResultsScreen.h"
#include "tests/support/RecordingWindowProcedure.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TestSettings.h"
#include "ui/BlendBuffer.h"
#include "ui/ResourcePaths.h"

namespace {

using Clock = std::chrono::steady_clock;

// A headless backend that counts presents and queues input at chosen ones, as a person would.
class TimedInputBackend : public platform::HeadlessBackend {
 public:
  explicit TimedInputBackend(std::vector<std::string>& log)
      : HeadlessBackend([&log](const std::string& line) { log.push_back(line); }) {}

  void Present(const platform::Surface& screen) override {
    HeadlessBackend::Present(screen);
    ++presents;
    for (const auto& [at, event] : inputs) {
      if (at == presents && window) window->HandleInput(event);
    }
  }

  platform::Window* window = nullptr;
  int presents = 0;
  std::vector<std::pair<int, platform::InputEvent>> inputs;  // (present number, input)
};

platform::InputEvent KeyDown(std::uint32_t key, bool ctrl = false) {
  platform::InputEvent event;
  event.type = platform::InputEvent::Type::kKeyDown;
  event.key = key;
  event.ctrl = ctrl;
  return event;
}

class ModalRequestTest : public ::testing::Test {
 protected:
  ModalRequestTest() : backend_(log_), window_(backend_, platform::Size{240, 320}, u"Vornalo Mobile") {
    core::isPortrait = 1;
    core::scaleFactor = 1;
    ui::ConfigureResourcePaths(1, std::string(VORNALO_RESOURCE_ROOT) + "/qvga");
    blend_ = ui::BlendBuffer::Allocate(1);
    ui::blendBuffer = blend_.get();
    backend_.window = &window_;
    // The window stays open for the next case: the close request is only recorded.
    procedure_.handler = [](platform::Window&, const platform::Message& m) { return m.id == platform::wm::kClose; };
    window_.SetResources(app::VornaloResources());
    window_.Create(procedure_);
    window_.RunUntilIdle();
  }
  ~ModalRequestTest() override { ui::blendBuffer = nullptr; }

  std::unique_ptr<screens::SearchResultsScreen> MakeScreen(const std::string& url, catalogue::HttpClientOptions options = {}) {
    auto screen = std::make_unique<screens::SearchResultsScreen>();
    screen->SetCatalogue(url, settings_.settings, options);
    EXPECT_EQ(screen->Create(window_), 1);
    screen->Show();
    return screen;
  }

  std::vector<std::string> MessageBoxes() const {
    std::vector<std::string> boxes;
    for (const std::string& line : log_) {
      if (line.rfind("MessageBox: ", 0) == 0) boxes.push_back(line);
    }
    return boxes;
  }

  std::vector<std::string> log_;
  TimedInputBackend backend_;
  platform::Window window_;
  testsupport::RecordingWindowProcedure procedure_;
  testsupport::TestSettings settings_;
  std::unique_ptr<ui::BlendBuffer> blend_;
};

TEST_F(ModalRequestTest, SilentServerGivesServerProblemAfterTheIdleTimeOutWhileTheWindowIsPresented) {
  testsupport::ScriptedServer server({testsupport::ReadRequest(), testsupport::Hang()});
  catalogue::HttpClientOptions options;
  options.idleTimeoutMicros = 450'000;
  options.waitStepMicros = 20'000;
  auto screen = MakeScreen(server.Url(""), options);
  backend_.inputs.push_back({2, KeyDown(platform::vk::kDown)});
  procedure_.messages.clear();
  backend_.presents = 0;

  const auto started = Clock::now();
  screen->StartSearch(u"anything", true);
  const auto waited = Clock::now() - started;

  EXPECT_GE(waited, std::chrono::milliseconds(450));
  // Presented at the start of the wait and every step of it.
  EXPECT_GE(backend_.presents, 3);
  EXPECT_EQ(MessageBoxes(), std::vector<std::string>{"MessageBox: Server Problem: There is a connection problem "
                                                     "to the Vornalo servers. Please try search again later."});
  EXPECT_EQ(screen->List().Count(), 0);
  // The key pressed during the wait was not dispatched under the request; the loop gets it.
  EXPECT_TRUE(procedure_.Only({platform::wm::kKeyDown}).empty());
  window_.RunUntilIdle();
  EXPECT_EQ(procedure_.Only({platform::wm::kKeyDown}).size(), 1u);
}

TEST_F(ModalRequestTest, CloseRequestDuringAHungRequestEndsTheWaitAtOnceAndIsLeftForTheLoop) {
  struct Case {
    const char* name;
    platform::InputEvent close;
  };
  platform::InputEvent closeButton;
  closeButton.type = platform::InputEvent::Type::kCloseRequest;
  const Case cases[] = {{"Ctrl+Q", KeyDown('Q', true)}, {"close button", closeButton}};
  for (const Case& c : cases) {
    for (bool stalledConnect : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (stalledConnect ? ", connect never accepted" : ", request not answered"));
      testsupport::ScriptedServer hanging({testsupport::ReadRequest(), testsupport::Hang()});
      testsupport::StalledListener stalled;
      auto screen = MakeScreen(stalledConnect ? stalled.Url("") : hanging.Url(""));
      log_.clear();
      backend_.presents = 0;
      backend_.inputs = {{3, c.close}};
      procedure_.messages.clear();

      const auto started = Clock::now();
      screen->StartSearch(u"second", true);
      const auto waited = Clock::now() - started;

      // The client's own time-outs are 35 s (idle) and 70 s (connect).
      EXPECT_LT(waited, std::chrono::seconds(3));
      EXPECT_GE(backend_.presents, 3);
      EXPECT_TRUE(MessageBoxes().empty()) << MessageBoxes().front();
      EXPECT_TRUE(procedure_.messages.empty());
      ASSERT_FALSE(window_.IsQuitting());
      window_.RunUntilIdle();
      // Ctrl+Q reaches the procedure as the Exit command; the close button as a close.
      const std::vector<platform::Message> exits = procedure_.Only({platform::wm::kCommand, platform::wm::kClose});
      ASSERT_EQ(exits.size(), 1u);
      if (!stalledConnect) {
        EXPECT_EQ(hanging.AcceptedCount(), 1);
      }
    }
  }
}

}  // namespace
