#include "tools/gallery/SampleList.h"

#include <algorithm>

#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace gallery {

int SampleList::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  int result = ui::LoadResourcePng(selectedIcon_, u"\\list_resources\\Selected_Blue_AudioCue_Icon.png");
  if (result == 1) result = ui::LoadResourcePng(normalIcon_, u"\\list_resources\\Normal_Blue_AudioCue_Icon.png");
  if (result == 1) {
    result = ui::LoadResourceBitmap(selectedBand_, u"\\list_icon_resources\\Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png");
  }
  if (result == 1) {
    result = ui::LoadResourceBitmap(lineStrip_, u"\\list_icon_resources\\TabScreen_ListLine_White_Normal_Stretch.png");
  }
  if (result != 1) return result;
  rowHeight = selectedBand_->Height();
  infoFont_ = platform::Font::Create(12 * ui::Scale(), 400);
  titleFont_ = platform::Font::Create(16 * ui::Scale(), 700);
  return 1;
}

void SampleList::DrawRows(platform::Canvas& dc) {
  const std::int32_t s = ui::Scale();
  const platform::Rect& r = CurrentRect();
  const std::int32_t shown = std::min<std::int32_t>(Count(), kMaxShownRows);
  if (shown > 0 && selected >= shown) selected = shown - 1;
  const platform::Rect clip{r.left, 0, r.left + CurrentWidth(), CurrentHeight()};
  for (std::int32_t i = 0; i < shown; ++i) {
    const std::int32_t y = i * rowHeight;
    const bool isSelected = i == selected;
    const platform::Surface* strip = isSelected ? selectedBand_.get() : lineStrip_.get();
    DrawStrip(dc, y, strip, strip->Height(), true);
    ui::STScreenBuffer& icon = isSelected ? selectedIcon_ : normalIcon_;
    icon.DrawAlpha(dc, r.left + 1, y + (rowHeight - icon.Height()) / 2);
    const SampleRow& row = items[static_cast<std::size_t>(i)];
    const std::int32_t x = r.left + 5 * s + selectedIcon_.Width();
    const platform::Colour colour = isSelected ? kSelectedTextColour : kTextColour;
    infoTexts_[static_cast<std::size_t>(i)].Set(infoFont_.get(), row.info);
    infoTexts_[static_cast<std::size_t>(i)].Draw(dc, x, y, clip, colour);
    titleTexts_[static_cast<std::size_t>(i)].Set(titleFont_.get(), row.title);
    titleTexts_[static_cast<std::size_t>(i)].Draw(dc, x, y + 9 * s, clip, colour);
  }
  if (Count() < rowsPerPage[ui::Orientation()]) DrawStrip(dc, Count() * rowHeight, lineStrip_.get(), lineStrip_->Height(), true);
}

}  // namespace gallery
