#include "ui/ListView.h"

#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace ui {

void ListView::Hide() {
  visible = false;
  focused = false;
}

void ListView::Activate() { Notify(msg::kItemActivated, 0); }

bool ListView::OnKey(std::uint32_t virtualKey) {
  switch (virtualKey) {
    case platform::vk::kReturn:
      Activate();
      return false;
    case platform::vk::kUp:
      if (selected <= 0) return false;
      --selected;
      return true;
    case platform::vk::kDown:
      if (selected >= Count() - 1) return false;
      ++selected;
      return true;
    default:
      return false;
  }
}

bool ListView::OnTap(std::int32_t x, std::int32_t y) {
  const int o = Orientation();
  if (!rect[o].Contains(x, y)) return false;
  if (rowHeight <= 0) return true;
  // A row below the ones drawn holds no visible entry: tapping there must not choose an
  // entry the user cannot see.
  const std::int32_t shownRow = (y - rect[o].top) / rowHeight;
  if (shownRow >= rowsPerPage[o]) return true;
  const std::int32_t row = shownRow + firstRow;
  if (row >= Count()) return true;
  if (row != selected) {
    selected = row;
    Draw();
  }
  OnKey(platform::vk::kReturn);
  return true;
}

void ListView::Paint(platform::Canvas& dc) {
  PaintBackground(dc);
  DrawRows(dc);
}

void ListView::DrawRowBackground(platform::Canvas& dc, std::int32_t y, platform::Colour colour, bool force) const {
  if (!(focused || force)) return;
  dc.FillRect(platform::Rect{CurrentRect().left, y, CurrentWidth(), y + rowHeight}, colour);
}

}  // namespace ui
