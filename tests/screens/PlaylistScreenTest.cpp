// The Current Playlist screen over the real artwork, headless.

#include <gtest/gtest.h>

#include <cstring>

#include "audio/StreamPlayer.h"
#include "platform/audio/null/NullPcmSink.h"
#include "screens/CurrentPlaylistScreen.h"
#include "screens/StoreSearch.h"
#include "ui/ControlMessages.h"
#include "ui/ResourceImages.h"
#include "tests/support/TestSettings.h"
#include "tests/ui/ToolkitTestSupport.h"
#include "ui/ViewMetrics.h"

namespace {

catalogue::AudioCueRecord Record(const char* title, const char* creator, const char* album) {
  catalogue::AudioCueRecord record;
  std::memset(&record, 0, sizeof record);
  std::strcpy(record.title, title);
  std::strcpy(record.creator, creator);
  std::strcpy(record.album, album);
  std::strcpy(record.location, "http://127.0.0.1:9/none.mp3");
  return record;
}

class PlaylistScreenTest : public ::testing::Test {
 protected:
  explicit PlaylistScreenTest(platform::Size screen = {240, 320})
      : world_(screen.width, screen.height), player_(std::make_unique<platform::NullPcmSink>(0.0)) {
    EXPECT_EQ(screen_.Create(world_.window), 1);
    screen_.SetPlayer(player_, audio::StreamUrlService{"", core::RequestIdentity::From(settings_.settings), {}}, dir_ / "data.dat");
  }
  ~PlaylistScreenTest() override { player_.stop(1); }

  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string title = "Song " + std::to_string(i);
      screen_.Playlist()->addTrack(Record(title.c_str(), "Band", "Record"));
    }
  }
  std::vector<std::string> Lines(const std::string& prefix = "") {
    screen_.redraw();
    std::vector<std::string> all, out;
    screen_.AppendScreenText(all);
    for (const std::string& line : all) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    return out;
  }
  // Delivers what the screen posted to itself (paging by key) as the main window would.
  void Deliver(std::uint32_t id) {
    for (const auto& m : world_.Posted({id})) screen_.OnMessage(m.id, m.wParam, m.lParam);
  }

  testsupport::TempDir dir_;
  testsupport::TestSettings settings_;
  testsupport::ToolkitWorld world_;
  audio::StreamPlayer player_;
  screens::CurrentPlaylistScreen screen_;
};

// Empty: the orientation's text, no page numbers; then rows led by creator and/or album.
TEST_F(PlaylistScreenTest, EmptyTextAndRowLines) {
  screen_.Show();
  EXPECT_EQ(Lines("page"), std::vector<std::string>{});
  const auto texts = Lines("text ");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("The Current Playlist will be\ndisplayed here."), std::string::npos);

  screen_.Playlist()->addTrack(Record("One", "Creator", "Album"));
  screen_.Playlist()->addTrack(Record("Two", "Creator", ""));
  screen_.Playlist()->addTrack(Record("Three", "", "Album"));
  EXPECT_EQ(Lines("row"), (std::vector<std::string>{"row 0 selected Creator - Album | One", "row 1 Creator | Two",
                                                    "row 2 Album | Three"}));
  EXPECT_EQ(Lines("page"), std::vector<std::string>{"page Page 1 / 1 | 3 items"});
  EXPECT_EQ(Lines("text"), std::vector<std::string>{});
  // "Purchase" searches the store for creator and title, form-encoded.
  EXPECT_EQ(screens::StoreSearchUrl("Marrow & Tide", "Salt/Ølberg"),
            "http://store.vornalo.com/s/ref=nb_ss_m?url=search-alias%3Dmusic-artist&field-keywords="
            "Marrow+%26+Tide+Salt/%C3%98lberg");
}

// Down past the last row turns the page; the page button keeps the row (or the last entry).
TEST_F(PlaylistScreenTest, PagingByKeyAndButton) {
  Fill(12);
  screen_.Show();
  for (int i = 0; i < 5; ++i) screen_.OnKey(platform::vk::kDown, 1);
  Deliver(ui::msg::kNextPageByKey);
  playlist::CurrentPlaylist& p = *screen_.Playlist();
  EXPECT_EQ(std::make_tuple(p.topIndex, p.selectedIndex, p.pageNumber), std::make_tuple(5, 5, 1));
  EXPECT_EQ(Lines("row 0"), std::vector<std::string>{"row 0 selected Band - Record | Song 5"});
  EXPECT_EQ(Lines("page"), std::vector<std::string>{"page Page 2 / 3 | 12 items"});

  screen_.OnKey(platform::vk::kDown, 1);
  screen_.OnKey(platform::vk::kDown, 1);
  screen_.OnMessage(ui::msg::kNextPageButton, 0, 0);
  // Row 2 of a page of two entries: drawing brings the selection back to the last one.
  EXPECT_EQ(std::make_tuple(p.topIndex, p.selectedIndex), std::make_tuple(10, 11));
  EXPECT_EQ(Lines("row"), (std::vector<std::string>{"row 0 Band - Record | Song 10",
                                                    "row 1 selected Band - Record | Song 11"}));
  screen_.OnMessage(ui::msg::kPreviousPageButton, 0, 0);
  EXPECT_EQ(std::make_tuple(p.topIndex, p.selectedIndex, p.pageNumber), std::make_tuple(5, 6, 1));
  // Up from the first row of a page goes to the last row of the page before.
  screen_.OnKey(platform::vk::kUp, 1);
  screen_.OnKey(platform::vk::kUp, 1);
  Deliver(ui::msg::kPreviousPageByKey);
  EXPECT_EQ(std::make_tuple(p.topIndex, p.selectedIndex, p.pageNumber), std::make_tuple(0, 4, 0));
}

// The current entry keeps the yellow icon (its Selected picture when selected); others are blue.
TEST_F(PlaylistScreenTest, CurrentEntryKeepsItsYellowIconWhenSelected) {
  Fill(3);
  screen_.Show();
  screen_.OnMessage(1928, 0, 0);  // "Play" on row 0 marks it current (the stream goes nowhere)
  ASSERT_EQ(screen_.Playlist()->entryAt(0)->kind, 0u);
  screen_.redraw();

  std::unique_ptr<platform::Surface> strip;
  ASSERT_EQ(ui::LoadResourceBitmap(strip, u"\\list_icon_resources\\Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png"), 1);
  const std::int32_t rowHeight = strip->Height(), listTop = 67 * ui::Scale();
  // Each row's icon must match wherever the picture is opaque and differs from its look-alike.
  auto iconShown = [&](int row, const char* expected, const char* other) {
    ui::STScreenBuffer want, not_;
    EXPECT_EQ(ui::LoadResourcePng(want, expected), 1);
    EXPECT_EQ(ui::LoadResourcePng(not_, other), 1);
    platform::Canvas dc = world_.window.GetDC();
    const std::int32_t top = listTop + row * rowHeight + (rowHeight - want.Height()) / 2;
    int compared = 0;
    for (std::int32_t y = 0; y < want.Height(); ++y) {
      for (std::int32_t x = 0; x < want.Width(); ++x) {
        const std::uint32_t a = want.DecodedPixel(x, y), b = not_.DecodedPixel(x, y);
        if (a >> 24 != 0xFF || (a & 0xFFFFFF) == (b & 0xFFFFFF)) continue;
        const platform::Colour shown = dc.GetPixel(1 + x, top + y);
        const std::uint32_t drawn = ui::STScreenBuffer::BlendPixel(0, a);  // as an opaque pixel is blended
        const platform::Colour rgb = (drawn & 0xFF) << 16 | (drawn & 0xFF00) | (drawn >> 16 & 0xFF);  // 0x00BBGGRR
        if (shown != rgb) return false;
        ++compared;
      }
    }
    return compared > 0;
  };
  const char* normalYellow = "\\list_resources\\Normal_Yellow_AudioCue_Icon.png";
  const char* selectedYellow = "\\list_resources\\Selected_Yellow_AudioCue_Icon.png";
  const char* normalBlue = "\\list_resources\\Normal_Blue_AudioCue_Icon.png";
  const char* selectedBlue = "\\list_resources\\Selected_Blue_AudioCue_Icon.png";
  EXPECT_TRUE(iconShown(0, selectedYellow, selectedBlue));
  EXPECT_TRUE(iconShown(1, normalBlue, normalYellow));
  screen_.OnKey(platform::vk::kDown, 1);
  screen_.redraw();
  EXPECT_TRUE(iconShown(0, normalYellow, normalBlue));
  EXPECT_TRUE(iconShown(1, selectedBlue, selectedYellow));
  EXPECT_EQ(Lines("row 0"), std::vector<std::string>{"row 0 current Band - Record | Song 0"});
}

}  // namespace
