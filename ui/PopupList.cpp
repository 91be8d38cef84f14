#include "ui/PopupList.h"

#include <algorithm>
#include <cstring>

#include "platform/TextCodec.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace ui {
namespace {

constexpr std::int32_t kFontHeight = 13;
constexpr std::int32_t kFontWeight = 700;

}  // namespace

int PopupList::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  int result = LoadResourceBitmap(selectedBand_, u"\\popup_panel\\PopUp_Panel_ListLine_Blue_Selected_Stretch.png");
  if (result == 1) result = LoadResourceBitmap(lineStrip_, u"\\popup_panel\\PopUp_Panel_ListLine_White_Normal_Stretch.png");
  if (result != 1) return result;
  rowHeight = selectedBand_->Height();
  font_ = platform::Font::Create(kFontHeight * Scale(), kFontWeight);
  textHeight_ = font_ ? font_->Measure("X").height : 0;
  return 1;
}

void PopupList::AddEntry(const char* text, std::uint32_t command, std::uint32_t value) {
  auto entry = std::make_unique<MenuEntry>();
  const std::string_view label = text ? text : "";
  const std::size_t n = platform::Utf8PrefixLength(label, MenuEntry::kTextSize - 1);
  std::memcpy(entry->text, label.data(), n);
  entry->command = command;
  entry->value = value;
  AddItem(std::move(entry));
}

void PopupList::ClearItems() {
  items.clear();
  firstRow = 0;
  selected = 0;
}

void PopupList::NextRows() {
  const std::int32_t perPage = rowsPerPage[Orientation()];
  if (firstRow + perPage < Count()) {
    firstRow += perPage;
    selected = firstRow;
  }
}

void PopupList::PreviousRows() {
  if (firstRow != 0) firstRow = std::max(0, firstRow - rowsPerPage[Orientation()]);
}

platform::Rect PopupList::TextRect() const {
  const std::int32_t s = Scale();
  return platform::Rect{3 * s, 0, CurrentWidth() - 3 * s, CurrentHeight()};
}

void PopupList::Activate() {
  if (selected < 0 || selected >= Count()) return;
  const MenuEntry& entry = *items[static_cast<std::size_t>(selected)];
  // The value is a signed 32-bit parameter ("None" in the skin list is -1).
  const auto value = static_cast<std::int32_t>(entry.value);
  if (window) window->Post(entry.command, cookie, static_cast<std::intptr_t>(value));
}

void PopupList::DrawRows(platform::Canvas& dc) {
  if (Count() > 0 && selected >= Count()) selected = Count() - 1;
  const std::int32_t perPage = std::min<std::int32_t>(rowsPerPage[Orientation()], kMaxShownRows);
  const platform::Rect textRect = TextRect();
  std::int32_t y = 0;
  for (std::int32_t row = 0; row < perPage && firstRow + row < Count(); ++row, y += rowHeight) {
    const std::int32_t index = firstRow + row;
    const bool isSelected = index == selected;
    const platform::Surface* strip = isSelected ? selectedBand_.get() : lineStrip_.get();
    DrawStrip(dc, y, strip, strip ? strip->Height() : 0, true);
    TextImage& label = labels_[static_cast<std::size_t>(row)];
    label.SetUtf8(font_.get(), items[static_cast<std::size_t>(index)]->text);
    const std::int32_t labelTop = y + (rowHeight - textHeight_) / 2;
    const platform::Colour colour = isSelected ? kSelectedTextColour : kTextColour;
    label.Draw(dc, textRect.left + LabelIndent(), labelTop, textRect, colour);
    DrawRowMark(dc, index, labelTop, textRect, colour);
  }
}

}  // namespace ui
