#include "platform/window/Window.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/headless/HeadlessBackend.h"
#include "tests/support/RecordingWindowProcedure.h"

namespace {

using namespace std::chrono_literals;
using platform::HeadlessBackend;
using platform::Message;
using platform::Size;
using platform::Window;
namespace wm = platform::wm;

class WindowTest : public ::testing::Test {
 protected:
  std::vector<std::string> log_;
  HeadlessBackend backend_{[this](const std::string& line) { log_.push_back(line); }};
  Window window_{backend_, Size{240, 320}, u"Vornalo Mobile"};
  testsupport::RecordingWindowProcedure procedure_;
};

TEST_F(WindowTest, CreationSendsCreateShowActivateSizeThenPaints) {
  ASSERT_TRUE(window_.Create(procedure_));
  EXPECT_FALSE(window_.Create(procedure_));
  window_.RunUntilIdle();
  std::vector<std::uint32_t> ids;
  for (const Message& m : procedure_.messages) ids.push_back(m.id);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{wm::kCreate, wm::kShowWindow, wm::kActivate, wm::kSize, wm::kPaint}));
  // 240 x 320 less two bars of 26.
  EXPECT_EQ(platform::LowWord(procedure_.messages[3].lParam), 240);
  EXPECT_EQ(platform::HighWord(procedure_.messages[3].lParam), 268);
}

TEST_F(WindowTest, PostsFromOtherThreadsArriveInOrderAndEndTheLoop) {
  window_.Create(procedure_);
  procedure_.handler = [](Window& w, const Message& m) {
    if (m.id == 12027) w.PostQuit(7);
    return false;
  };
  std::thread worker([this] {
    for (std::uint32_t i = 0; i < 50; ++i) window_.Post(12024, i, -static_cast<std::intptr_t>(i));
    window_.Post(12027);
  });
  EXPECT_EQ(window_.Run(), 7);
  worker.join();
  auto posted = procedure_.Only({12024});
  ASSERT_EQ(posted.size(), 50u);
  for (std::size_t i = 0; i < posted.size(); ++i) {
    EXPECT_EQ(posted[i].wParam, i);
    EXPECT_EQ(posted[i].lParam, -static_cast<std::intptr_t>(i));
  }
}

TEST_F(WindowTest, SendIsSynchronousAndReturnsTheProcedureResult) {
  window_.Create(procedure_);
  procedure_.handler = [](Window& w, const Message& m) {
    if (m.id == 1934) w.Send(1027);  // a nested send from inside a message
    return false;
  };
  window_.Send(1934, 5, 6);
  auto ids = procedure_.Only({1934, 1027});
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].id, 1934u);
  EXPECT_EQ(ids[1].id, 1027u);
}

TEST_F(WindowTest, TimersFireByIdUntilKilled) {
  window_.Create(procedure_);
  window_.SetTimer(1005, 2);
  window_.SetTimer(1000, 1000);
  int fired = 0;
  ASSERT_TRUE(window_.RunUntil([&] { return procedure_.Only({wm::kTimer}).size() >= 3; }, 2000ms));
  for (const Message& m : procedure_.Only({wm::kTimer})) EXPECT_EQ(m.wParam, 1005u);
  window_.KillTimer(1005);
  fired = static_cast<int>(procedure_.Only({wm::kTimer}).size());
  window_.RunFor(20ms);
  EXPECT_EQ(static_cast<int>(procedure_.Only({wm::kTimer}).size()), fired);
}

TEST_F(WindowTest, PaintComesAfterQueuedMessagesAndEraseWhitensTheClient) {
  window_.Create(procedure_);
  window_.RunUntilIdle();
  procedure_.messages.clear();
  window_.GetDC().FillRect(window_.GetDC().Bounds(), 0x0000FF);
  window_.Invalidate(false);
  window_.Post(1029);
  window_.RunUntilIdle();
  ASSERT_EQ(procedure_.messages.size(), 2u);
  EXPECT_EQ(procedure_.messages[0].id, 1029u);
  EXPECT_EQ(procedure_.messages[1].id, wm::kPaint);
  EXPECT_EQ(window_.GetDC().GetPixel(3, 3), 0x0000FFu);  // no erase: the picture stays
  window_.Invalidate(true);
  window_.Update();
  EXPECT_EQ(window_.GetDC().GetPixel(3, 3), 0xFFFFFFu);
}

TEST_F(WindowTest, CloseDestroysThroughTheDefaultProcedure) {
  window_.Create(procedure_);
  window_.Post(wm::kClose);
  EXPECT_EQ(window_.Run(), 0);
  auto ids = procedure_.Only({wm::kClose, wm::kDestroy});
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_FALSE(window_.IsCreated());
  window_.Post(1024);  // after destruction nothing reaches the procedure
  std::size_t before = procedure_.messages.size();
  window_.ProcessPending();
  EXPECT_EQ(procedure_.messages.size(), before);
}

TEST_F(WindowTest, RotationSwapsTheScreenAndResizesTheClient) {
  window_.Create(procedure_);
  window_.RunUntilIdle();
  window_.Rotate();
  window_.RunUntilIdle();
  EXPECT_EQ(window_.ScreenSize(), (Size{320, 240}));
  EXPECT_EQ(window_.ClientSize(), (Size{320, 188}));
  auto sizes = procedure_.Only({wm::kSize});
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(platform::LowWord(sizes[1].lParam), 320);
  EXPECT_EQ(platform::HighWord(sizes[1].lParam), 188);
  EXPECT_EQ(procedure_.messages.back().id, wm::kPaint);
}

TEST_F(WindowTest, MessageBoxesAreLoggedAndAnsweredFromTheScript) {
  using platform::MessageBoxButtons;
  using platform::MessageBoxResult;
  EXPECT_EQ(window_.ShowMessageBox(u"Missing Files", u"Files are missing", MessageBoxButtons::kOk), MessageBoxResult::kOk);
  EXPECT_EQ(window_.ShowMessageBox(u"New Version Available", u"Update?", MessageBoxButtons::kYesNo), MessageBoxResult::kNo);
  backend_.QueueAnswer(MessageBoxResult::kYes);
  EXPECT_EQ(window_.ShowMessageBox(u"New Version Available", u"Update?", MessageBoxButtons::kYesNo), MessageBoxResult::kYes);
  backend_.QueueAnswer(MessageBoxResult::kYes);  // does not fit an OK box: OK, and it is used up
  EXPECT_EQ(window_.ShowMessageBox(u"Memory Low", u"\u00e9", MessageBoxButtons::kOk), MessageBoxResult::kOk);
  EXPECT_EQ(window_.ShowMessageBox(u"Q", u"?", MessageBoxButtons::kYesNo), MessageBoxResult::kNo);
  ASSERT_EQ(log_.size(), 5u);
  EXPECT_EQ(log_[0], "MessageBox: Missing Files: Files are missing");
  EXPECT_EQ(log_[3], "MessageBox: Memory Low: \xc3\xa9");
}

TEST_F(WindowTest, SplashCoversTheScreenUntilTheFirstPaint) {
  window_.GetScreenDC().FillRect(platform::Rect{0, 0, 240, 320}, 0x00FF00);
  EXPECT_EQ(window_.ComposeScreen().GetPixel(100, 5), platform::ColourToPixel(0x00FF00));
  window_.Create(procedure_);
  window_.RunUntilIdle();
  EXPECT_NE(window_.ComposeScreen().GetPixel(100, 5), platform::ColourToPixel(0x00FF00));
}

}  // namespace
