#include "ui/ListView.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/ToolkitTestSupport.h"
#include "ui/ControlMessages.h"
#include "ui/PageControl.h"
#include "ui/TitleStrip.h"

namespace {

using platform::Rect;
using testsupport::ToolkitWorld;
namespace vk = platform::vk;

// A list of numbers whose rows are one-pixel strips of a single colour, stretched.
class StripList : public ui::ListViewOf<int> {
 public:
  StripList() : strip_(1, 33, platform::PixelFormat::kXrgb32) { strip_.Fill(strip_.Bounds(), 0x00AA00); }
  void DrawRows(platform::Canvas& dc) override {
    for (std::int32_t i = 0; i < Count(); ++i) DrawStrip(dc, i * rowHeight, &strip_, 33, i == selected);
  }
  platform::Surface strip_;
};

void FillList(StripList& list, int count) {
  list.ClearItems();
  for (int i = 0; i < count; ++i) list.AddItem(i);
}

TEST(ListViewTest, KeysMoveTheSelectionAndTapsActivateTheRowUnderThePoint) {
  ToolkitWorld world(240, 320);
  StripList list;
  const Rect rects[2] = {Rect{0, 67, 320, 166}, Rect{0, 67, 240, 232}};
  list.Create(rects, world.window, 5);
  struct Case {
    int count, selected;
    std::uint32_t key;
    bool consumed;
    int selectedAfter;
    bool posts;
  } cases[] = {
      {0, 0, vk::kUp, false, 0, false},   {0, 0, vk::kDown, false, 0, false},
      {0, 0, vk::kReturn, false, 0, true}, {3, 0, vk::kUp, false, 0, false},
      {3, 0, vk::kDown, true, 1, false},  {3, 2, vk::kDown, false, 2, false},
      {3, 2, vk::kUp, true, 1, false},    {3, 1, vk::kReturn, false, 1, true},
      {3, 1, vk::kLeft, false, 1, false},
  };
  for (const Case& c : cases) {
    FillList(list, c.count);
    list.selected = c.selected;
    EXPECT_EQ(list.OnKey(c.key), c.consumed) << c.count << "/" << c.selected << "/" << c.key;
    EXPECT_EQ(list.selected, c.selectedAfter);
    std::vector<platform::Message> posted = world.Posted({ui::msg::kItemActivated});
    ASSERT_EQ(posted.size(), c.posts ? 1u : 0u);
    if (c.posts) {
      EXPECT_EQ(posted[0].wParam, 5u);
      EXPECT_EQ(posted[0].lParam, 0);
    }
  }

  list.rowHeight = 33;
  struct TapCase {
    int count, firstRow, y;
    bool consumed;
    int selectedAfter;  // -1: activation not expected, selection unchanged at 0
    int rowsShown;
  } taps[] = {
      {0, 0, 80, true, -1, 5},       // empty list: consumed, nothing posted
      {3, 0, 67 + 32, true, 0, 5},   // last pixel of row 0
      {3, 0, 67 + 33, true, 1, 5},   // a boundary belongs to the lower row
      {3, 0, 67 + 99, true, -1, 5},  // below the last item
      {3, 0, 60, false, -1, 5},      // above the list
      {7, 3, 67 + 40, true, 4, 5},   // a list paging inside itself adds firstRow
      {9, 0, 67 + 5 * 33, false, -1, 5},     // the rectangle ends there
      {9, 0, 67 + 4 * 33 + 2, true, -1, 4},  // a row that fits the rectangle but is not shown
  };
  for (const TapCase& c : taps) {
    FillList(list, c.count);
    list.firstRow = c.firstRow;
    list.rowsPerPage[1] = c.rowsShown;
    list.selected = 0;
    EXPECT_EQ(list.OnTap(100, c.y), c.consumed) << c.count << " y " << c.y;
    EXPECT_EQ(list.selected, c.selectedAfter < 0 ? 0 : c.selectedAfter);
    EXPECT_EQ(world.Posted({ui::msg::kItemActivated}).size(), c.selectedAfter < 0 ? 0u : 1u);
  }
}

TEST(ListViewTest, DrawTouchesOnlyTheListAndStripsSpanItsWidth) {
  ToolkitWorld world(240, 320);
  StripList list;
  const Rect rects[2] = {Rect{20, 67, 300, 166}, Rect{20, 67, 200, 232}};
  list.Create(rects, world.window, 5);
  list.rowHeight = 33;
  list.noBackground = true;
  FillList(list, 3);
  list.selected = 1;
  world.FillPattern();
  list.Draw();
  EXPECT_EQ(world.FirstChangeOutside(rects[1]), "");
  platform::Canvas dc = world.window.GetDC();
  for (std::int32_t x = 20; x < 200; ++x) ASSERT_EQ(dc.GetPixel(x, 67 + 33), 0x00AA00u) << x;
  EXPECT_EQ(dc.GetPixel(25, 67), ToolkitWorld::Pattern(25, 67));  // unfocused rows are not forced
  list.noBackground = false;
  list.Draw();
  EXPECT_EQ(dc.GetPixel(25, 67), 0xFFFFFFu);
}

// Count and page texts, buttons and tap boxes around page boundaries, every size and scale.
TEST(PageControlTest, TextsButtonsAndHitBoxesFollowTheItemCount) {
  const std::int32_t screens[][2] = {{240, 320}, {320, 240}, {480, 640}, {640, 480}};
  for (const auto& screen : screens) {
    ToolkitWorld world(screen[0], screen[1]);
    const std::int32_t s = static_cast<std::int32_t>(core::scaleFactor);
    ui::PageControl page;
    const Rect rects[2] = {Rect{0, 166 * s, 320 * s, 188 * s}, Rect{0, 232 * s, 240 * s, 254 * s}};
    ASSERT_EQ(page.Create(rects, world.window, 9), 1);
    ASSERT_EQ(page.SetButtonImages("\\tab_resources\\page_button_normal.png",
                                   "\\tab_resources\\page_button_clickdown.png"), 1);
    const Rect& r = rects[core::isPortrait];
    const std::int32_t bw = 26 * s;
    for (std::int32_t perPage : {3, 5}) {
      for (std::int32_t count : {0, 1, 2, 6, 7}) {
        const std::int32_t pages = (count + perPage - 1) / perPage;
        for (std::int32_t current = 0; current < std::max(1, pages); ++current) {
          const std::string where = std::to_string(screen[0]) + "x" + std::to_string(screen[1]) + " " +
                                    std::to_string(count) + "/" + std::to_string(perPage) + " page " +
                                    std::to_string(current);
          page.rowsPerPage[core::isPortrait] = perPage;
          page.itemCount = count;
          page.currentPage = current;
          world.FillPattern();
          page.Draw();
          const bool hasPrevious = current > 0, hasNext = current + 1 < pages;
          if (count == 0) {
            EXPECT_EQ(world.FirstChangeOutside(Rect{}), "") << where;  // nothing at all
          } else {
            const std::u16string pageText =
                u"Page " + std::u16string(1, u'0' + current + 1) + u" / " + std::u16string(1, u'0' + pages);
            EXPECT_EQ(page.PageText().Text(), pageText) << where;
            EXPECT_EQ(page.CountText().Text(), count == 1 ? u"1 item" : std::u16string(1, u'0' + count) + u" items");
            EXPECT_EQ(page.NextX(), r.Width() - 4 * s - bw);
            EXPECT_EQ(page.PrevX(), page.NextX() - 8 * s - bw - page.PageText().GetSize().width);
            EXPECT_EQ(page.PageTextX(), page.PrevX() + bw + 4 * s);
          }
          // A button shows exactly where there is a page to go to.
          const Rect nextBox = Rect::FromSize(r.left + page.NextX(), r.top, bw, 18 * s);
          EXPECT_EQ(world.ChangedInside(nextBox), hasNext) << where;
          // Taps: the middle of each box, and the row above the boxes.
          EXPECT_TRUE(page.OnTap(r.left + page.NextX() + bw / 2, r.top + 9 * s));
          EXPECT_EQ(world.Posted({ui::msg::kNextPageButton}).size(), hasNext ? 1u : 0u) << where;
          EXPECT_TRUE(page.OnTap(r.left + page.PrevX() + bw / 2, r.top + 9 * s));
          EXPECT_EQ(world.Posted({ui::msg::kPreviousPageButton}).size(), hasPrevious ? 1u : 0u) << where;
          EXPECT_TRUE(page.OnTap(r.left + page.PrevX() + bw / 2, r.top));
          EXPECT_FALSE(page.OnTap(r.left + 5, r.top - 1));
          EXPECT_TRUE(world.Posted({ui::msg::kNextPageButton, ui::msg::kPreviousPageButton}).empty());
        }
      }
    }
  }
}

TEST(PageControlTest, FlashShowsThePressedButtonThenTheNormalOne) {
  ToolkitWorld world(240, 320);
  ui::PageControl page;
  const Rect rects[2] = {Rect{0, 166, 320, 188}, Rect{0, 232, 240, 254}};
  page.Create(rects, world.window, 9);
  page.SetButtonImages("\\tab_resources\\page_button_normal.png", "\\tab_resources\\page_button_clickdown.png");
  page.itemCount = 7;
  page.rowsPerPage[1] = 3;
  page.Draw();
  const std::int32_t x = page.NextX() + 3, y = 232 + 15;  // inside the button, below its number
  platform::Canvas dc = world.window.GetDC();
  const platform::Colour normal = dc.GetPixel(x, y);
  platform::Colour during = normal;
  int pauses = 0;
  page.SetFlashPause([&] {
    during = dc.GetPixel(x, y);
    ++pauses;
  });
  page.FlashButton(ui::PageControl::kFlashNext);
  EXPECT_NE(during, normal);
  EXPECT_EQ(pauses, 1);
  page.FlashButton(ui::PageControl::kFlashPrevious);  // on the first page there is none
  page.currentPage = 2;
  page.FlashButton(ui::PageControl::kFlashNext);  // nor a next one on the last
  EXPECT_EQ(pauses, 1);
}

TEST(TitleStripTest, StripSpansTheControlAndTheTitleIsDrawnInGrey) {
  ToolkitWorld world(240, 320);
  ui::TitleStrip title;
  const Rect rects[2] = {Rect{0, 20, 300, 67}, Rect{0, 20, 200, 67}};
  ASSERT_EQ(title.Create(rects, world.window, 0), 1);
  title.SetTitle(u"Featured CueLists");
  world.FillPattern();
  title.Draw();
  EXPECT_EQ(world.FirstChangeOutside(rects[1]), "");
  platform::Canvas dc = world.window.GetDC();
  for (std::int32_t y = 45; y < 67; ++y) {  // below the title
    const platform::Colour stripColour = dc.GetPixel(199, y);
    for (std::int32_t x = 0; x < 199; x += 7) ASSERT_EQ(dc.GetPixel(x, y), stripColour) << x << "," << y;
  }
  int grey = 0;
  for (std::int32_t x = 13; x < 120; ++x) {
    for (std::int32_t y = 25; y < 41; ++y) grey += dc.GetPixel(x, y) == ui::TitleStrip::kTitleColour;
  }
  EXPECT_GT(grey, 20);
  // Up and Down take the focus away and are left to the screen.
  title.focused = true;
  EXPECT_FALSE(title.OnKey(vk::kDown));
  EXPECT_FALSE(title.focused);
  EXPECT_FALSE(title.OnTap(50, 30));
}

}  // namespace
