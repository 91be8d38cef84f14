// The player console and the mini player over the real artwork, headless.

#include <gtest/gtest.h>

#include <cstring>

#include "screens/MiniPlayer.h"
#include "screens/PlayerView.h"
#include "screens/TrackProgress.h"
#include "screens/WindowMessages.h"
#include "tests/support/TestSettings.h"
#include "tests/ui/ToolkitTestSupport.h"
#include "ui/ViewMetrics.h"

namespace {

using screens::PlayerView;

platform::Rect Scaled(platform::Rect r, std::int32_t s) { return platform::Rect{r.left * s, r.top * s, r.right * s, r.bottom * s}; }

audio::Mp3FrameHeader Header(std::uint32_t kbps, std::uint32_t rate) {
  audio::Mp3FrameHeader header;
  header.bitrate = kbps;
  header.sampleRate = rate;
  return header;
}

// The pixels of the whole client area, to compare two drawings.
std::vector<platform::Colour> Pixels(platform::Window& window) {
  platform::Canvas dc = window.GetDC();
  std::vector<platform::Colour> out;
  for (std::int32_t y = 0; y < dc.GetSize().height; ++y) {
    for (std::int32_t x = 0; x < dc.GetSize().width; ++x) out.push_back(dc.GetPixel(x, y));
  }
  return out;
}

// Length from content length and bitrate, elapsed in 1 % steps; nothing, and no division by
// zero, without a length, bitrate or sample rate.
TEST(TrackProgressTest, LengthAndProgress) {
  const struct {
    std::int32_t contentLength;
    std::uint32_t kbps, rate;
    std::uint64_t length;
    std::uint32_t positionSamples, bytesReceived;
    const char16_t *total, *elapsed;
    std::int32_t loadPercent;
  } cases[] = {
      {1600000, 128, 44100, 44100 * 100, 44100 * 61, 800000, u"1:40", u"1:01", 50},
      // The player's length, not content length over bitrate (a cover or VBR made that 20-85 % long).
      {2600000, 320, 22050, 22050 * 100, 22050 * 10 + 22049, 2600000, u"1:40", u"0:10", 100},
      {0, 128, 44100, 44100 * 100, 44100, 5000, u"0:00", u"0:00", 0},  // no content length: 0 %
      {-1, 128, 44100, 44100 * 100, 44100, 5000, u"0:00", u"0:00", 0},
      {1600000, 0, 0, 0, 44100, 1000, u"0:00", u"0:00", 0},  // no header found yet
      {1600000, 128, 44100, 0, 44100, 1000, u"0:00", u"0:00", 0},  // no length known
      {16000 * 3600, 128, 48000, 48000u * 3600u, 48000u * 3601u, 16000 * 3600, u"60:00", u"60:00", 100},  // past the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contentLength);
    screens::TrackProgress progress;
    progress.SetTrack(audio::TrackInfo{u"T", u"C", u"A"}, c.contentLength, Header(c.kbps, c.rate), c.length);
    progress.SetProgress(c.bytesReceived, c.positionSamples, c.length);
    EXPECT_EQ(screens::TrackProgress::FormatTime(progress.durationSec), c.total);
    EXPECT_EQ(screens::TrackProgress::FormatTime(progress.ElapsedSec()), c.elapsed);
    EXPECT_EQ(progress.loadPercent, c.loadPercent);
  }
  // An estimate refined as the track plays moves the total with it.
  screens::TrackProgress refined;
  refined.SetTrack(audio::TrackInfo{}, 1600000, Header(128, 44100), 44100 * 60);
  refined.SetProgress(1000, 44100 * 30, 44100 * 120);
  EXPECT_EQ(screens::TrackProgress::FormatTime(refined.durationSec), u"2:00");
  EXPECT_EQ(refined.positionPercent, 25);
}

class PlayerDisplaysTest : public ::testing::TestWithParam<platform::Size> {
 protected:
  PlayerDisplaysTest() : world_(GetParam().width, GetParam().height) {
    s_ = ui::Scale();
    const platform::Rect viewRects[2] = {Scaled({0, 0, 320, 189}, s_), Scaled({0, 0, 240, 268}, s_)};
    view_.SetSettings(settings_.settings);
    view_.SetFlashPause([] {});
    EXPECT_EQ(view_.Create(viewRects, world_.window, 7), 1);
    const platform::Rect miniRects[2] = {Scaled({0, 166, 320, 188}, s_), Scaled({0, 232, 240, 268}, s_)};
    EXPECT_EQ(mini_.Create(miniRects, world_.window, 8), 1);
  }

  std::vector<std::uint32_t> PostedIds() {
    std::vector<std::uint32_t> ids;
    for (const auto& m : world_.Posted({screens::msg::kPlayPause, screens::msg::kPlayerPreviousButton,
                                        screens::msg::kPlayerNextButton, screens::msg::kPlayerPlaylistTab,
                                        screens::msg::kPlayerSearchTab})) {
      EXPECT_EQ(m.wParam, 7u);
      ids.push_back(m.id);
    }
    return ids;
  }
  std::pair<std::int32_t, std::int32_t> Centre(PlayerView::Button b) const {
    const platform::Rect r = view_.ButtonRect(b);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  testsupport::TestSettings settings_;
  testsupport::ToolkitWorld world_;
  std::int32_t s_ = 1;
  PlayerView view_;
  screens::MiniPlayer mini_;
};

// Idle, the transport keys do nothing but the side symbols switch tabs; once playing all post.
TEST_P(PlayerDisplaysTest, ButtonsAndKeysByPlayState) {
  namespace msg = screens::msg;
  const std::vector<std::uint32_t> sides{msg::kPlayerPlaylistTab, msg::kPlayerSearchTab};
  const std::vector<std::uint32_t> all{msg::kPlayerPreviousButton, msg::kPlayerNextButton, msg::kPlayerPlaylistTab,
                                       msg::kPlayerSearchTab, msg::kPlayPause};
  for (std::int32_t state : {PlayerView::kNothing, PlayerView::kPlaying}) {
    SCOPED_TRACE(state);
    view_.playState = state;
    for (int b = 0; b < PlayerView::kButtonCount; ++b) {
      const auto [x, y] = Centre(static_cast<PlayerView::Button>(b));
      EXPECT_FALSE(view_.OnTap(x, y));
    }
    EXPECT_EQ(PostedIds(), state ? all : sides);
    for (std::uint32_t key : {platform::vk::kUp, platform::vk::kDown, platform::vk::kReturn, platform::vk::kLeft,
                              platform::vk::kRight}) {
      EXPECT_FALSE(view_.OnKey(key));
    }
    const std::vector<std::uint32_t> byKeys{msg::kPlayerPreviousButton, msg::kPlayerNextButton, msg::kPlayPause,
                                            msg::kPlayerPlaylistTab, msg::kPlayerSearchTab};
    EXPECT_EQ(PostedIds(), state ? byKeys : sides);
  }
  // Hidden (another tab shown), a button's flash draws nothing.
  world_.FillPattern();
  for (int b = 0; b < PlayerView::kButtonCount; ++b) view_.FlashButton(static_cast<PlayerView::Button>(b));
  EXPECT_EQ(world_.FirstChangeOutside({}), "");
}

// Glass taps crack it, up to fourteen, until shown again; the mini player takes its strip only.
TEST_P(PlayerDisplaysTest, GlassTapsCrackUpToFourteenAndMiniPlayerTapsStayInItsStrip) {
  view_.Show();
  const platform::Rect glass = Scaled(ui::Orientation() ? platform::Rect{13, 9, 225, 135} : platform::Rect{11, 2, 306, 58}, s_);
  for (int i = 0; i < 15; ++i) EXPECT_TRUE(view_.OnTap(glass.left + 5 + i * 3, glass.top + 10));
  EXPECT_EQ(view_.CrackCount(), PlayerView::kMaxCracks);
  EXPECT_TRUE(PostedIds().empty());
  view_.Show();
  EXPECT_EQ(view_.CrackCount(), 0);
  const platform::Rect& r = mini_.CurrentRect();
  EXPECT_TRUE(mini_.OnTap(r.left + 1, r.top + 1));
  EXPECT_TRUE(mini_.OnTap(r.right - 1, r.bottom - 1));
  EXPECT_FALSE(mini_.OnTap(r.left + 1, r.top - 1));
  EXPECT_FALSE(mini_.OnTap(r.right, r.bottom - 1));
}

// A stream without a content length looks idle; a reset mini player looks as one never used.
TEST_P(PlayerDisplaysTest, NoLengthAndResetShowNothingMoving) {
  view_.Show();
  const auto idle = Pixels(world_.window);
  view_.SetTrack(audio::TrackInfo{}, 0, Header(128, 44100), 44100 * 10);
  view_.SetProgress(30000, 44100 * 5, 44100 * 10);
  EXPECT_EQ(view_.Progress().durationSec, 0);
  EXPECT_EQ(Pixels(world_.window), idle);
  view_.SetTrack(audio::TrackInfo{}, 160000, Header(128, 44100), 44100 * 10);
  view_.SetProgress(80000, 44100 * 5, 44100 * 10);
  EXPECT_NE(Pixels(world_.window), idle) << "the bar and handle of a stream with a length";
  view_.Hide();

  mini_.Show();
  const auto fresh = Pixels(world_.window);
  mini_.SetTrack(audio::TrackInfo{u"Title", u"Creator", u"Album"}, 160000, Header(128, 44100), 44100 * 10);
  mini_.SetProgress(80000, 44100 * 5, 44100 * 10);
  EXPECT_NE(Pixels(world_.window), fresh);
  mini_.ResetDisplay();
  EXPECT_EQ(Pixels(world_.window), fresh);
  std::vector<std::string> lines;
  mini_.AppendScreenText(lines);
  EXPECT_EQ(lines, std::vector<std::string>{"mini  | 0:00 | 0:00"});
  // The caption's 255-unit cut keeps a surrogate pair whole or leaves it out.
  mini_.SetTrack(audio::TrackInfo{u"\U0001F3B5\U0001F3B5", std::u16string(251, u'c'), u""}, 0, Header(128, 44100), 0);
  EXPECT_EQ(mini_.Caption(), std::u16string(251, u'c') + u" - ");
}

// The same skin again loads nothing, even with its files gone; after "None" it shows again.
TEST_P(PlayerDisplaysTest, SkinLoadsOnce) {
  core::AppSettings& settings = settings_.settings;
  settings.SetSkinName(u"Sunburst");
  view_.UpdateLayout();
  EXPECT_TRUE(view_.SkinLoaded());
  settings.SetSkinName(u"");
  view_.UpdateLayout();
  EXPECT_FALSE(view_.SkinLoaded());
  settings.SetSkinName(u"Sunburst");
  view_.UpdateLayout();
  EXPECT_TRUE(view_.SkinLoaded());
  testsupport::TempDir empty;
  ui::ConfigureResourcePaths(core::scaleFactor, empty.Path().string());
  view_.UpdateLayout();  // nothing to load: the pictures in hand serve
  EXPECT_TRUE(view_.SkinLoaded());
  EXPECT_EQ(settings.currentSkinName, u"Sunburst");
}

INSTANTIATE_TEST_SUITE_P(Screens, PlayerDisplaysTest,
                         ::testing::Values(platform::Size{240, 320}, platform::Size{640, 480}),
                         [](const auto& p) { return std::to_string(p.param.width) + "x" + std::to_string(p.param.height); });

}  // namespace
