// The item popup and the list popup over the real artwork, headless.

#include <gtest/gtest.h>

#include <cstring>

#include "screens/ItemPopup.h"
#include "screens/ListPopup.h"
#include "screens/SkinFolder.h"
#include "screens/WindowMessages.h"
#include "tests/support/TempDir.h"
#include "ui/ControlMessages.h"
#include "tests/support/TestSettings.h"
#include "tests/ui/ToolkitTestSupport.h"
#include "ui/ResourcePaths.h"
#include "ui/ViewMetrics.h"

namespace {

using Lines = std::vector<std::string>;
using testsupport::ToolkitWorld;

catalogue::ItemRef Text(const char* title) {
  auto record = std::make_unique<catalogue::TextCueRecord>();
  std::memset(record.get(), 0, sizeof *record);
  std::strcpy(record->title, title);
  std::strcpy(record->location, "http://w/Subject");
  return catalogue::ItemRef(std::move(record));
}

template <typename Popup>
Lines Text(const Popup& popup, const std::string& prefix) {
  Lines all, out;
  popup.AppendScreenText(all);
  for (const std::string& line : all) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

std::int32_t Blue(platform::Colour c) { return static_cast<std::int32_t>(c >> 16 & 0xFF); }
std::int32_t Red(platform::Colour c) { return static_cast<std::int32_t>(c & 0xFF); }

class ItemPopupTest : public ::testing::TestWithParam<platform::Size> {
 protected:
  ItemPopupTest() : world_(GetParam().width, GetParam().height) {
    popup_.SetThemeColourSource([this] { return theme_; });
    EXPECT_EQ(popup_.Create(world_.window), 1);
  }
  void Open(const catalogue::ItemRef& item, std::initializer_list<const char*> entries) {
    popup_.SetItem(item);
    popup_.ClearEntries();
    for (const char* entry : entries) popup_.AddEntry(entry, screens::msg::kAddToPlaylist);
    popup_.Show();
    Paint();
  }
  void Paint() {
    platform::Canvas dc = world_.window.GetDC();
    popup_.Paint(dc, false, ui::Screen::kLayerAll);
  }
  std::uintptr_t Cookie() const { return reinterpret_cast<std::uintptr_t>(static_cast<const ui::Screen*>(&popup_)); }

  ToolkitWorld world_;
  platform::Colour theme_ = 0xD28E00;  // blue
  screens::ItemPopup popup_;
};

// Three entries never page; Enter and a tap post the entry's command, a tap below them nothing.
TEST_P(ItemPopupTest, ThreeEntriesNeverPageAndPostTheirCommands) {
  popup_.SetItem(Text("Subject"));
  popup_.ClearEntries();
  popup_.AddEntry("Play", screens::msg::kPlayItem);
  popup_.AddEntry("Remove Item From Playlist", screens::msg::kRemovePlaylistItem);
  popup_.AddEntry("Purchase (Launches Browser)...", screens::msg::kPurchase);
  popup_.Show();
  for (int i = 0; i < 4; ++i) popup_.OnKey(platform::vk::kDown, 1);
  EXPECT_EQ(popup_.List().firstRow, 0);
  EXPECT_EQ(Text(popup_, "entry"), (Lines{"entry 0 Play", "entry 1 Remove Item From Playlist",
                                          "entry 2 selected Purchase (Launches Browser)..."}));
  popup_.OnKey(platform::vk::kReturn, 1);
  auto posted = world_.Posted({screens::msg::kPurchase});
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, Cookie());
  EXPECT_EQ(posted[0].lParam, 0);

  const platform::Rect list = popup_.List().CurrentRect();
  popup_.OnTap(list.left + 5, list.top + popup_.List().rowHeight + 2);
  EXPECT_EQ(world_.Posted({screens::msg::kRemovePlaylistItem}).size(), 1u);
  EXPECT_TRUE(popup_.OnTap(list.left + 5, list.top + 3 * popup_.List().rowHeight + 2));
  EXPECT_TRUE(world_.Posted({screens::msg::kPlayItem, screens::msg::kRemovePlaylistItem, screens::msg::kPurchase})
                  .empty());
}

// Each opening composes the panel anew (the current tint); a repaint only copies it.
TEST_P(ItemPopupTest, EachOpeningShowsTheCurrentTint) {
  const platform::Rect tint = popup_.Panel().tintRect[ui::Orientation()];
  const std::int32_t x = (tint.left + tint.right) / 2, y = tint.bottom - 4 * ui::Scale();
  world_.window.GetDC().FillRect(platform::Rect{0, 0, 640, 640}, 0xFFFFFF);
  Open(Text("Subject"), {"Open Article In Browser..."});
  const platform::Colour blue = world_.window.GetDC().GetPixel(x, y);
  EXPECT_GT(Blue(blue), Red(blue));
  theme_ = 0x1500D9;  // red
  Paint();
  EXPECT_EQ(world_.window.GetDC().GetPixel(x, y), blue);
  popup_.Hide();
  world_.window.GetDC().FillRect(platform::Rect{0, 0, 640, 640}, 0xFFFFFF);
  Open(Text("Subject"), {"Open Article In Browser..."});
  const platform::Colour red = world_.window.GetDC().GetPixel(x, y);
  EXPECT_GT(Red(red), Blue(red));
}

INSTANTIATE_TEST_SUITE_P(Orientations, ItemPopupTest,
                         ::testing::Values(platform::Size{240, 320}, platform::Size{320, 240}, platform::Size{480, 640}));

class ListPopupTest : public ::testing::Test {
 protected:
  explicit ListPopupTest(platform::Size screen = {240, 320}) : world_(screen.width, screen.height) {
    popup_.SetThemeColourSource([this] { return settings_.settings.CurrentThemeColor(); });
    EXPECT_EQ(popup_.Create(world_.window), 1);
  }
  void ShowAndPaint() {
    popup_.Show();
    platform::Canvas dc = world_.window.GetDC();
    popup_.Paint(dc, false, ui::Screen::kLayerAll);
  }
  // Whether the bullet's box of a shown row holds ink of that colour.
  bool MarkInk(std::int32_t row, platform::Colour colour) {
    const platform::Rect list = popup_.List().CurrentRect();
    const std::int32_t s = ui::Scale();
    platform::Canvas dc = world_.window.GetDC();
    for (std::int32_t y = list.top + row * popup_.List().rowHeight; y < list.top + (row + 1) * popup_.List().rowHeight; ++y) {
      for (std::int32_t x = list.left + 3 * s; x < list.left + 3 * s + 9 * s; ++x) {
        if (dc.GetPixel(x, y) == colour) return true;
      }
    }
    return false;
  }
  std::uintptr_t Cookie() const { return reinterpret_cast<std::uintptr_t>(static_cast<const ui::Screen*>(&popup_)); }

  testsupport::TestSettings settings_;
  ToolkitWorld world_;
  screens::ListPopup popup_;
  std::vector<std::u16string> skinNames_;
};

// Theme 4: its name, the blue sample and the bullet on "Jazzy Blue" only; theme 8 the red one.
TEST_F(ListPopupTest, ThemesMarkTheCurrentThemeWithItsSample) {
  settings_.settings.overlayColor = 4;
  popup_.FillThemes(settings_.settings);
  ShowAndPaint();
  EXPECT_EQ(Text(popup_, "text"), (Lines{"text Background Color Theme", "text Currently Selected:", "text Jazzy Blue"}));
  EXPECT_EQ(Text(popup_, "entry"), (Lines{"entry 0 selected Basic Black", "entry 1 Titanium Gray",
                                          "entry 2 Modernist White", "entry 3 Wild Purple",
                                          "entry 4 current Jazzy Blue"}));
  EXPECT_EQ(Text(popup_, "page"), Lines{"page Page 1 / 2 | 10 items"});
  EXPECT_TRUE(MarkInk(4, 0x000000));
  EXPECT_FALSE(MarkInk(3, 0x000000));
  const platform::Point icon = popup_.Panel().iconPos[1];
  const platform::Colour blueSample = world_.window.GetDC().GetPixel(icon.x + 18, icon.y + 18);
  EXPECT_GT(Blue(blueSample), Red(blueSample));

  settings_.settings.overlayColor = 8;
  popup_.FillThemes(settings_.settings);
  ShowAndPaint();
  EXPECT_EQ(popup_.List().currentIndex, 8);
  const platform::Colour redSample = world_.window.GetDC().GetPixel(icon.x + 18, icon.y + 18);
  EXPECT_GT(Red(redSample), Blue(redSample));
}

// "None" posts -1, a skin its index; an empty or unknown current skin puts the bullet on "None".
TEST_F(ListPopupTest, SkinsFromTheFolderWithTheCurrentOneMarked) {
  testsupport::TempDir folder;
  for (const char* file : {"Sunburst_tn.png", "portrait/p_Sunburst.png", "landscape/l_Sunburst.png", "Lonely_tn.png",
                           "Aurora_tn.png", "portrait/p_Aurora.png", "landscape/l_Aurora.png"}) {
    std::filesystem::create_directories((folder / file).parent_path());
    testsupport::WriteFile(folder / file, "x");
  }
  std::filesystem::create_directories(folder / "Folder_tn.png");
  std::filesystem::create_directories(folder / "portrait/p_Folder.png");
  std::filesystem::create_directories(folder / "landscape/l_Folder.png");
  const std::string prefix = folder.Path().string() + "/";

  settings_.settings.SetSkinName(u"");
  popup_.FillSkins(settings_.settings, prefix, skinNames_);
  ShowAndPaint();
  EXPECT_EQ(skinNames_, (std::vector<std::u16string>{u"Aurora", u"Sunburst"}));
  EXPECT_EQ(Text(popup_, "text"), (Lines{"text Player Skins", "text Currently Selected:", "text None Selected"}));
  EXPECT_EQ(Text(popup_, "entry"), (Lines{"entry 0 selected current None", "entry 1 Aurora", "entry 2 Sunburst"}));
  EXPECT_EQ(popup_.Panel().icons.size(), 1u);  // "\player\missing_tn.png"
  popup_.OnKey(platform::vk::kReturn, 1);
  popup_.OnKey(platform::vk::kDown, 1);
  popup_.OnKey(platform::vk::kDown, 1);
  popup_.OnKey(platform::vk::kReturn, 1);
  const auto posted = world_.Posted({screens::msg::kSkinChosen});
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].lParam, -1);
  EXPECT_EQ(posted[1].lParam, 1);
  EXPECT_EQ(posted[1].wParam, Cookie());

  settings_.settings.SetSkinName(u"Gone");
  popup_.FillSkins(settings_.settings, prefix + "missing/", skinNames_);
  EXPECT_TRUE(skinNames_.empty());
  EXPECT_EQ(Text(popup_, "text").back(), "text Gone");
  EXPECT_EQ(Text(popup_, "entry"), (Lines{"entry 0 selected current None"}));
  EXPECT_TRUE(popup_.Panel().icons.empty());
}

class LandscapeListPopupTest : public ListPopupTest {
 protected:
  LandscapeListPopupTest() : ListPopupTest({320, 240}) {}
};

// Ten themes, four a page: Down and the page buttons turn pages, keeping the selected row.
TEST_F(LandscapeListPopupTest, TenThemesPageFourAtATime) {
  popup_.FillThemes(settings_.settings);
  ShowAndPaint();
  EXPECT_EQ(Text(popup_, "page"), Lines{"page Page 1 / 3 | 10 items"});
  EXPECT_EQ(Text(popup_, "entry").size(), 4u);
  for (int i = 0; i < 4; ++i) popup_.OnKey(platform::vk::kDown, 1);
  EXPECT_EQ(Text(popup_, "page"), Lines{"page Page 2 / 3 | 10 items"});
  EXPECT_EQ(Text(popup_, "entry"), (Lines{"entry 4 selected current Jazzy Blue", "entry 5 Go-Go Green",
                                          "entry 6 Electric Yellow", "entry 7 Juicy Orange"}));
  popup_.OnKey(platform::vk::kDown, 1);
  popup_.OnMessage(ui::msg::kNextPageButton, Cookie(), 0);
  EXPECT_EQ(Text(popup_, "page"), Lines{"page Page 3 / 3 | 10 items"});
  EXPECT_EQ(popup_.List().selected, 9);  // row 1 of the page
  popup_.OnMessage(ui::msg::kPreviousPageButton, Cookie(), 0);
  popup_.OnMessage(ui::msg::kPreviousPageButton, Cookie(), 0);
  popup_.OnMessage(ui::msg::kPreviousPageButton, Cookie(), 0);
  EXPECT_EQ(Text(popup_, "page"), Lines{"page Page 1 / 3 | 10 items"});
  EXPECT_EQ(popup_.List().selected, 1);
}

}  // namespace
