// A repaint showing the same as the last one must not touch the heap (operator new is counted).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/ui/ToolkitTestSupport.h"
#include "ui/PageControl.h"
#include "ui/PopupList.h"
#include "ui/TabBar.h"
#include "ui/TitleStrip.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

}  // namespace

// The replacements pair malloc with free; GCC cannot see that through operator new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (counting.load()) allocations.fetch_add(1);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }
#pragma GCC diagnostic pop

namespace {

using platform::Rect;

TEST(RepaintAllocationTest, SteadyRepaintsOfTheControlsDoNotAllocate) {
  testsupport::ToolkitWorld world(480, 640);
  ui::TabBar bar;
  ui::TitleStrip title;
  ui::PageControl page;
  ui::PopupList list;
  const Rect barRects[2] = {Rect{0, 0, 640, 40}, Rect{0, 0, 480, 40}};
  ASSERT_EQ(bar.Create(barRects, 30, world.window, 0), 1);
  ASSERT_EQ(bar.AddTab(u"Featured", "\\tab_resources\\featuredstar_white_tab_icon_13x13.png",
                       "\\tab_resources\\featuredstar_black_tab_icon_13x13.png"), 1);
  const Rect titleRects[2] = {Rect{0, 40, 640, 134}, Rect{0, 40, 480, 134}};
  ASSERT_EQ(title.Create(titleRects, world.window, 0), 1);
  title.SetTitle(u"Featured CueLists");
  const Rect pageRects[2] = {Rect{8, 94, 640, 134}, Rect{8, 94, 478, 134}};
  ASSERT_EQ(page.Create(pageRects, world.window, 0), 1);
  ASSERT_EQ(page.SetButtonImages("\\tab_resources\\page_button_normal.png", "\\tab_resources\\page_button_clickdown.png"), 1);
  page.itemCount = 7;
  page.currentPage = 1;
  const Rect listRects[2] = {Rect{24, 140, 616, 330}, Rect{24, 258, 456, 454}};
  ASSERT_EQ(list.Create(listRects, world.window, 0), 1);
  for (const char* label : {"Add to Current Playlist", "Play Now", "Cancel"}) list.AddEntry(label, 2000);

  auto repaint = [&] {
    bar.Draw();
    title.Draw();
    page.Draw();
    list.Draw();
  };
  repaint();  // renders every text once
  counting = true;
  repaint();
  repaint();
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
}

}  // namespace
