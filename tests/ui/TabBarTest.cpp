#include "ui/TabBar.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"
#include "tests/ui/ToolkitTestSupport.h"
#include "ui/ControlMessages.h"

namespace {

using platform::Rect;
using testsupport::ToolkitWorld;

// A control that paints a red band across its middle third and leaves the rest alone.
class BandView : public ui::View {
 public:
  bool OnKey(std::uint32_t) override { return false; }
  bool OnTap(std::int32_t, std::int32_t) override { return false; }
  void Paint(platform::Canvas& dc) override {
    const platform::Size size = dc.GetSize();
    dc.FillRect(Rect{0, size.height / 3, size.width, 2 * size.height / 3}, 0x0000FF);
  }
};

// The application's bar: its rectangles, icon area and four tabs.
void CreateBar(ui::TabBar& bar, ToolkitWorld& world, std::uintptr_t cookie = 77) {
  const std::int32_t s = static_cast<std::int32_t>(core::scaleFactor);
  const Rect rects[2] = {Rect{0, 0, 320 * s, 20 * s}, Rect{0, 0, 240 * s, 20 * s}};
  ASSERT_EQ(bar.Create(rects, 15 * s, world.window, cookie), 1);
  const char* icons[4] = {"searchresults", "featuredstar", "currentplaylist", "player"};
  const char16_t* labels[4] = {u"Search Results", u"Featured", u"Current Playlist", u"Player"};
  for (int i = 0; i < 4; ++i) {
    const std::string white = std::string("\\tab_resources\\") + icons[i] + "_white_tab_icon_13x13.png";
    const std::string black = std::string("\\tab_resources\\") + icons[i] + "_black_tab_icon_13x13.png";
    ASSERT_EQ(bar.AddTab(labels[i], white.c_str(), black.c_str()), 1);
  }
  bar.SetThemeColourSource([] { return platform::Colour{0x996633}; });
}

TEST(ViewDrawTest, DrawPaintsAtTheControlsCornerAndKeepsEverythingElse) {
  struct Case {
    std::int32_t w, h;
  } screens[] = {{240, 320}, {320, 240}, {480, 640}};
  for (const Case& c : screens) {
    ToolkitWorld world(c.w, c.h);
    BandView view;
    const Rect rects[2] = {Rect{30, 40, 130, 70}, Rect{10, 50, 110, 80}};
    view.Create(rects, world.window, 0);
    world.FillPattern();
    view.Show();
    const Rect& r = rects[core::isPortrait];
    EXPECT_EQ(world.FirstChangeOutside(r), "") << c.w << "x" << c.h;
    platform::Canvas dc = world.window.GetDC();
    EXPECT_EQ(dc.GetPixel(r.left, r.top + 10), 0x0000FFu);  // the band, moved to the corner
    EXPECT_EQ(dc.GetPixel(r.right - 1, r.top + 19), 0x0000FFu);
    // What Paint left alone keeps the window's old pixels.
    EXPECT_EQ(dc.GetPixel(r.left + 5, r.top + 2), ToolkitWorld::Pattern(r.left + 5, r.top + 2));
    EXPECT_EQ(dc.GetPixel(r.left + 5, r.bottom - 1), ToolkitWorld::Pattern(r.left + 5, r.bottom - 1));
  }
}

TEST(TabBarTest, TabsStackFromBothEdgesAroundTheSelectedOne) {
  struct Case {
    std::int32_t w, h, selected;
    std::int32_t x[4];
    std::int32_t labelX;
  } cases[] = {
      {320, 240, 0, {10, 241, 264, 287}, 30}, {320, 240, 3, {10, 33, 56, 79}, 99},
      {240, 320, 1, {10, 33, 184, 207}, 53}, {640, 480, 3, {20, 66, 112, 158}, 198},
      {480, 640, 0, {20, 322, 368, 414}, 60},
  };
  for (const Case& c : cases) {
    ToolkitWorld world(c.w, c.h);
    ui::TabBar bar;
    CreateBar(bar, world);
    bar.selected = c.selected;
    bar.Show();
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(bar.TabX(i), c.x[i]) << c.w << "x" << c.h << " tab " << i;
      EXPECT_EQ(bar.GetTab(i).hitRect.left, c.x[i]);
    }
    EXPECT_EQ(bar.LabelX(), c.labelX) << c.w << "x" << c.h;
  }
}

TEST(TabBarTest, TapsSelectOnlyCollapsedTabsInsideTheBar) {
  ToolkitWorld world(320, 240);
  ui::TabBar bar;
  CreateBar(bar, world, 1234);
  bar.selected = 3;
  bar.Show();
  struct Case {
    std::int32_t x, y;
    bool consumed;
    std::int32_t selectedAfter;
  } cases[] = {
      {150, 10, false, 3},  // the selected tab itself
      {5, 10, false, 3},    // in the bar but left of every tab
      {20, 25, false, 3},   // below the bar
      {20, 10, true, 0},    // collapsed tab 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bar.OnTap(c.x, c.y), c.consumed) << c.x << "," << c.y;
    EXPECT_EQ(bar.selected, c.selectedAfter);
    std::vector<platform::Message> posted = world.Posted({ui::msg::kTabSelected});
    ASSERT_EQ(posted.size(), c.consumed ? 1u : 0u);
    if (c.consumed) {
      EXPECT_EQ(posted[0].wParam, 1234u);
      EXPECT_EQ(posted[0].lParam, c.selectedAfter);
    }
  }
}

TEST(TabBarTest, LabelsAndImagesAreCheckedWhenAdded) {
  ToolkitWorld world(240, 320);
  ui::TabBar bar;
  CreateBar(bar, world);
  const std::u16string longest(ui::TabBar::kMaxLabelLength, u'x');
  const std::u16string tooLong(ui::TabBar::kMaxLabelLength + 1, u'x');
  const char* icon = "\\tab_resources\\player_white_tab_icon_13x13.png";
  EXPECT_EQ(bar.AddTab(nullptr, icon, icon), 0);
  EXPECT_EQ(bar.AddTab(tooLong.c_str(), icon, icon), 0);
  EXPECT_EQ(bar.AddTab(u"x", icon, "\\tab_resources\\nothing.png"), 1001);
  EXPECT_EQ(bar.TabCount(), 4u);
  EXPECT_EQ(bar.AddTab(longest.c_str(), icon, icon), 1);

  testsupport::TempDir empty;
  ui::ConfigureResourcePaths(1, empty.Path().string());
  ui::TabBar missing;
  const Rect rects[2] = {Rect{0, 0, 320, 20}, Rect{0, 0, 240, 20}};
  EXPECT_EQ(missing.Create(rects, 15, world.window, 0), 1001);
}

TEST(TabBarTest, PaintFillsTheThemeAndDrawsOnlyTheBar) {
  ToolkitWorld world(240, 320);
  ui::TabBar bar;
  CreateBar(bar, world);
  world.FillPattern();
  bar.Draw();
  EXPECT_EQ(world.FirstChangeOutside(Rect{0, 0, 240, 20}), "");
  platform::Canvas dc = world.window.GetDC();
  EXPECT_EQ(dc.GetPixel(0, 0), 0x000000u);  // the outline
  const platform::Colour before = dc.GetPixel(120, 10);
  bar.SetThemeColourSource([] { return platform::Colour{0x00FF00}; });
  bar.Draw();
  EXPECT_NE(dc.GetPixel(120, 10), before);  // the theme shows through the slider
}

TEST(TabBarTest, FocusMarkSpansTheFocusedTab) {
  struct Case {
    std::int32_t selected, focus, left, right;
  } cases[] = {
      {3, 1, 23, 46},    // before the selected tab
      {0, 2, 194, 217},  // after it: 240 - 23 * 2
      {3, 3, 69, 240},   // the selected last tab runs to the edge
      {1, 1, 23, 194},   // the selected tab up to the collapsed ones
  };
  for (const Case& c : cases) {
    ToolkitWorld world(240, 320);
    ui::TabBar bar;
    CreateBar(bar, world);
    bar.selected = c.selected;
    bar.focusTab = c.focus;
    platform::Canvas dc = world.window.GetDC();
    dc.FillRect(dc.Bounds(), 0xFFFFFF);
    bar.DrawFocus(dc);
    auto redInColumn = [&dc](std::int32_t x) {
      for (std::int32_t y = 0; y < 20; ++y) {
        if (dc.GetPixel(x, y) == 0x0000FFu) return true;
      }
      return false;
    };
    EXPECT_TRUE(redInColumn(c.left)) << c.selected << "/" << c.focus;
    EXPECT_TRUE(redInColumn(c.right - 1));
    EXPECT_FALSE(redInColumn(c.left - 1));
    EXPECT_FALSE(redInColumn(c.right));
  }
}

}  // namespace
