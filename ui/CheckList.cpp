#include "ui/CheckList.h"

#include <string_view>

#include "ui/ViewMetrics.h"

namespace ui {

void CheckList::MarkCurrent(std::string_view name) {
  if (name == "None Selected") name = "None";
  currentIndex = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (name == items[i]->text) {
      currentIndex = static_cast<std::int32_t>(i);
      return;
    }
  }
}

std::int32_t CheckList::LabelIndent() const { return kTextX * Scale(); }

void CheckList::DrawRowMark(platform::Canvas& dc, std::int32_t index, std::int32_t labelTop,
                            const platform::Rect& textRect, platform::Colour colour) {
  if (index != currentIndex) return;
  mark_.Set(ListFont(), std::u16string(1, kMark));
  mark_.Draw(dc, textRect.left + kMarkX * Scale(), labelTop, textRect, colour);
}

}  // namespace ui
