#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "ui/View.h"

namespace ui {

// The base of every list control: rows of rowHeight pixels, a selected row, and the key
// and tap rules every list shares. The items themselves live in a subclass (ListViewOf).
class ListView : public View {
 public:
  // Clears visible and focused.
  void Hide() override;
  // Enter posts msg::kItemActivated and is not consumed; Up and Down move the selection and
  // are consumed unless the selection is at the first / last row, which is the screen's cue
  // to page or move the focus on. Other keys are not consumed.
  bool OnKey(std::uint32_t virtualKey) override;
  // Outside the control: not consumed. Otherwise the row under the point (offset / rowHeight,
  // so a tap on a boundary belongs to the lower row, plus firstRow) is selected, drawn and
  // activated as by Enter; a point below the last item or below the rows shown is consumed
  // and does nothing else.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // The background fill (unless noBackground), then DrawRows.
  void Paint(platform::Canvas& dc) override;

  virtual std::int32_t Count() const = 0;
  // Draws the visible rows.
  virtual void DrawRows(platform::Canvas& dc) = 0;
  // If focused or force: fills (rect.left, y) – (width, y + rowHeight) with colour.
  void DrawRowBackground(platform::Canvas& dc, std::int32_t y, platform::Colour colour, bool force) const;

  std::int32_t rowHeight = 0;
  std::int32_t selected = 0;
  std::int32_t rowsPerPage[2] = {3, 5};
  // The item shown in the top row, for lists that page inside the control.
  std::int32_t firstRow = 0;

 protected:
  // What Enter posts: msg::kItemActivated (cookie, 0) in the base.
  virtual void Activate();
};

// A list control over items of type T (pointers, or records the list owns).
template <typename T>
class ListViewOf : public ListView {
 public:
  void AddItem(T item) { items.push_back(std::move(item)); }
  virtual void ClearItems() { items.clear(); }
  std::int32_t Count() const override { return static_cast<std::int32_t>(items.size()); }

  std::vector<T> items;
};

}  // namespace ui
