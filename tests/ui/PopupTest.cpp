#include <gtest/gtest.h>

#include <string>

#include "tests/ui/ToolkitTestSupport.h"
#include "ui/ControlMessages.h"
#include "ui/InfoPanel.h"
#include "ui/ItemInfoPanel.h"
#include "ui/PopupList.h"
#include "ui/TextField.h"

namespace {

using platform::Rect;
using testsupport::ToolkitWorld;
namespace vk = platform::vk;

constexpr std::uint32_t kCommand = platform::wm::kUser + 901;

void CreateList(ui::PopupList& list, ToolkitWorld& world, int entries) {
  const Rect rects[2] = {Rect{46, 70, 320, 165}, Rect{0, 150, 240, 245}};
  ASSERT_EQ(list.Create(rects, world.window, 31), 1);
  list.noBackground = true;
  for (int i = 0; i < entries; ++i) list.AddEntry(("Entry " + std::to_string(i)).c_str(), kCommand, 100 + i);
}

// A popup list adds pages, the entry's own command and value, and silence when empty.
TEST(PopupListTest, PagesTurnInsideTheList) {
  ToolkitWorld world(320, 240);
  ui::PopupList list;
  CreateList(list, world, 7);
  struct Step {
    bool next;
    int firstRow, selected;
  } steps[] = {{true, 3, 3}, {true, 6, 6}, {true, 6, 6}, {false, 3, 6}, {false, 0, 6}, {false, 0, 6}};
  for (const Step& step : steps) {
    if (step.next) list.NextRows();
    else list.PreviousRows();
    EXPECT_EQ(list.firstRow, step.firstRow);
    EXPECT_EQ(list.selected, step.selected);
  }
  list.firstRow = 3;
  EXPECT_TRUE(list.OnTap(100, 70 + 2 * 19));  // the third row shown is entry 5
  std::vector<platform::Message> posted = world.Posted({kCommand});
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, 31u);
  EXPECT_EQ(posted[0].lParam, 105);
  list.ClearItems();
  EXPECT_FALSE(list.OnKey(vk::kReturn));
  EXPECT_TRUE(list.OnTap(100, 75));
  EXPECT_TRUE(world.Posted({kCommand}).empty());
  // A selection beyond the last entry is pulled back when drawn.
  list.AddEntry("only", kCommand);
  list.selected = 4;
  list.Draw();
  EXPECT_EQ(list.selected, 0);
}

TEST(PopupListTest, SelectedRowIsWhiteOnTheBandAndOthersBlackOnTheLine) {
  ToolkitWorld world(240, 320);
  ui::PopupList list;
  CreateList(list, world, 2);
  list.selected = 1;
  world.FillPattern();
  list.Draw();
  EXPECT_EQ(world.FirstChangeOutside(Rect{0, 150, 240, 245}), "");
  platform::Canvas dc = world.window.GetDC();
  auto count = [&dc](std::int32_t top, platform::Colour colour) {
    int n = 0;
    for (std::int32_t y = top; y < top + 19; ++y) {
      for (std::int32_t x = 3; x < 80; ++x) n += dc.GetPixel(x, y) == colour;
    }
    return n;
  };
  EXPECT_GT(count(150, 0x000000), 10);
  EXPECT_GT(count(169, 0xFFFFFF), 10);
  EXPECT_EQ(dc.GetPixel(2, 150 + 2 * 19), ToolkitWorld::Pattern(2, 150 + 2 * 19));  // no third row
}

// A panel with the application's popup rectangles and pictures.
template <typename Panel>
void CreatePanel(Panel& panel, ToolkitWorld& world, platform::Colour& theme) {
  const std::int32_t s = static_cast<std::int32_t>(core::scaleFactor);
  const Rect rects[2] = {Rect{0, 0, 320 * s, 189 * s}, Rect{0, 0, 240 * s, 268 * s}};
  ASSERT_EQ(panel.Create(rects, world.window, 0), 1);
  ASSERT_EQ(panel.LoadPanelImages("\\popup_panel\\Horizontal_PopUp_Panel.png", "\\popup_panel\\Vertical_PopUp_Panel.png"), 1);
  ASSERT_EQ(panel.AddIcon("\\popup_panel\\Panel_Floating_CueList_Icon.png"), 1);
  panel.iconIndex = 0;
  panel.iconPos[0] = platform::Point{10 * s, 15 * s};
  panel.iconPos[1] = platform::Point{97 * s, 9 * s};
  panel.SetThemeColourSource([&theme] { return theme; });
}

// The ink of a text line: whether any pixel of column x between top and bottom is black.
bool InkInColumn(platform::Canvas& dc, std::int32_t x, std::int32_t top, std::int32_t bottom) {
  for (std::int32_t y = top; y < bottom; ++y) {
    if (dc.GetPixel(x, y) == 0x000000u) return true;
  }
  return false;
}

TEST(PopupPanelTest, ALineTooLongForItsBoxEndsWithAnEllipsis) {
  ToolkitWorld world(320, 240);
  platform::Colour theme = 0xFFFFFF;
  ui::ItemInfoPanel panel;
  CreatePanel(panel, world, theme);
  panel.iconIndex = 9;  // no icon
  panel.SetTexts(u"", u"", std::u16string(100, u'H'), u"");
  world.window.GetDC().FillRect(Rect{0, 0, 320, 189}, 0xFFFFFF);
  panel.Compose();
  panel.Draw();
  platform::Canvas dc = world.window.GetDC();
  const Rect box = panel.LineBox(2);
  // The last ink is a low dot, not an H cut by the clip (an H has ink top to bottom).
  std::int32_t last = box.right - 1;
  while (last > box.left && !InkInColumn(dc, last, box.top, box.top + 19)) --last;
  ASSERT_GT(last, box.left + 100);
  EXPECT_FALSE(InkInColumn(dc, last, box.top, box.top + 8));
  EXPECT_FALSE(InkInColumn(dc, last - 3, box.top, box.top + 8));
  EXPECT_EQ(panel.Line(2).size(), 100u);
}

TEST(TextFieldTest, EditFieldLimitsTextRoutesEnterUpAndDownAndFollowsRotation) {
  ToolkitWorld world(240, 320);
  ui::TextField field;
  const Rect rects[2] = {Rect{56, 50, 305, 88}, Rect{15, 120, 225, 158}};
  ASSERT_EQ(field.Create(rects, world.window, 44), 1);
  EXPECT_EQ(field.edit->GetRect(), (Rect{22, 131, 218, 146}));
  field.Show();
  ASSERT_EQ(world.window.Focus(), field.edit);
  field.edit->InsertText(std::string(81, 'a'));
  EXPECT_EQ(field.edit->Text().size(), 80u);
  field.edit->SetText(u"");

  EXPECT_FALSE(field.edit->KeyDown(vk::kReturn, false));  // the edit field still gets it
  std::vector<platform::Message> posted = world.Posted({ui::msg::kQueryEntered});
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].wParam, 44u);

  field.edit->SetText(u"abc");
  field.edit->SetSelection(1, 1);
  for (std::uint32_t key : {vk::kUp, vk::kDown}) {
    EXPECT_TRUE(field.edit->KeyDown(key, false));
    EXPECT_EQ(field.edit->Caret(), 1u);
    posted = world.Posted({platform::wm::kKeyDown});
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, key);
  }
  field.Hide();
  EXPECT_EQ(world.window.Focus(), nullptr);
  EXPECT_FALSE(field.edit->IsVisible());
  core::isPortrait = 0;
  field.Reposition();
  EXPECT_EQ(field.edit->GetRect(), (Rect{63, 61, 298, 76}));
}

}  // namespace

// In landscape the third line shares the second's row and starts after a wide second line.
TEST(PopupPanelTest, ALandscapeThirdLineStartsAfterAWideSecondLine) {
  ToolkitWorld world(320, 240);
  platform::Colour theme = 0xFFFFFF;
  ui::InfoPanel panel;
  CreatePanel(panel, world, theme);
  panel.iconIndex = 9;  // no icon
  const Rect row{60, 22, 301, 36};  // above the tint rectangle's outline
  auto render = [&](const std::u16string& third) {
    panel.SetTexts(u"", u"Currently Selected: and more", third);
    world.window.GetDC().FillRect(Rect{0, 0, 320, 189}, 0xFFFFFF);
    panel.Compose();
    panel.Draw();
  };
  render(u"");
  platform::Canvas dc = world.window.GetDC();
  std::int32_t secondEnd = row.left;
  for (std::int32_t x = row.left; x < row.right; ++x) {
    if (InkInColumn(dc, x, row.top, row.bottom)) secondEnd = x;
  }
  ASSERT_GT(secondEnd, 158);  // wider than the room the third line leaves it
  std::vector<bool> before(static_cast<std::size_t>(row.right), false);
  for (std::int32_t x = row.left; x < row.right; ++x) before[static_cast<std::size_t>(x)] = InkInColumn(dc, x, row.top, row.bottom);
  render(u"Sunburst");
  std::int32_t thirdStart = row.right;
  for (std::int32_t x = row.right - 1; x >= row.left; --x) {
    if (InkInColumn(dc, x, row.top, row.bottom) && !before[static_cast<std::size_t>(x)]) thirdStart = x;
  }
  EXPECT_LT(thirdStart, row.right);
  EXPECT_GT(thirdStart, secondEnd);
}
