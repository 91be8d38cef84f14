#include "screens/CatalogueList.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextCodec.h"

#include "ui/ResourceImages.h"

namespace screens {

std::u16string SlotWide(const char (&slot)[catalogue::kTextSlotSize]) {
  return platform::Utf8ToUtf16(catalogue::SlotText(slot));
}

std::u16string CueListInfo(const catalogue::CueListRecord& cueList) {
  char info[64];
  std::snprintf(info, sizeof info, "Cuelist - %ld total items", static_cast<long>(cueList.item_count));
  return platform::Utf8ToUtf16(info);
}
namespace {

constexpr std::int32_t kInfoFontHeight = 12;
constexpr std::int32_t kTitleFontHeight = 16;
constexpr std::int32_t kLocationFontHeight = 8;
constexpr std::int32_t kHintFontHeight = 14;
constexpr std::int32_t kTitleOffset = 9;  // line 2 below the row's top
constexpr std::int32_t kTextGap = 5;      // between the icon and the texts

}  // namespace

CatalogueList::IconPair* CatalogueList::IconsOf(catalogue::ItemKind kind) {
  if (kind < catalogue::kAudioCue || kind > catalogue::kTextCue) return nullptr;
  return &icons_[static_cast<std::size_t>(kind)];
}

int CatalogueList::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  int result = 1;
  for (const KindIcons& names : style_.icons) {
    IconPair* pair = IconsOf(names.kind);
    if (!pair) return 1002;
    if (result == 1) result = ui::LoadResourcePng(pair->selected, names.selected);
    if (result == 1) result = ui::LoadResourcePng(pair->normal, names.normal);
  }
  if (result == 1) {
    result = ui::LoadResourceBitmap(selectedBand_, u"\\list_icon_resources\\Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png");
  }
  if (result == 1) {
    result = ui::LoadResourceBitmap(lineStrip_, u"\\list_icon_resources\\TabScreen_ListLine_White_Normal_Stretch.png");
  }
  if (result != 1) return result;
  if (IconPair* sizing = IconsOf(style_.sizeKind)) {
    const ui::STScreenBuffer& icon = style_.sizeFromSelected ? sizing->selected : sizing->normal;
    iconWidth_ = icon.Width();
    iconHeight_ = icon.Height();
  }
  rowHeight = selectedBand_->Height();
  const std::int32_t s = ui::Scale();
  infoFont_ = platform::Font::Create(kInfoFontHeight * s, 400);
  titleFont_ = platform::Font::Create(kTitleFontHeight * s, 700);
  locationFont_ = platform::Font::Create(kLocationFontHeight * s, 400);
  hintFont_ = platform::Font::Create(kHintFontHeight * s, 700);
  return 1;
}

void CatalogueList::SetHint(std::u16string landscape, std::u16string portrait) {
  hint_[0] = std::move(landscape);
  hint_[1] = std::move(portrait);
}

const CatalogueRow* CatalogueList::SelectedRow() const {
  if (selected < 0 || selected >= Count()) return nullptr;
  return &items[static_cast<std::size_t>(selected)];
}

void CatalogueList::DrawRows(platform::Canvas& dc) {
  const int o = ui::Orientation();
  const std::int32_t s = ui::Scale();
  const platform::Rect& r = CurrentRect();
  const std::int32_t count = Count();
  if (count > 0 && selected >= count) selected = count - 1;
  const platform::Rect clip{r.left, 0, r.left + CurrentWidth(), CurrentHeight()};
  const std::int32_t x = r.left + kTextGap * s + iconWidth_;
  const std::int32_t shown = std::min<std::int32_t>(count, kMaxShownRows);
  for (std::int32_t i = 0; i < shown; ++i) {
    const std::int32_t y = i * rowHeight;
    const bool isSelected = i == selected;
    const platform::Surface* strip = isSelected ? selectedBand_.get() : lineStrip_.get();
    DrawStrip(dc, y, strip, strip->Height(), true);
    const CatalogueRow& row = items[static_cast<std::size_t>(i)];
    if (IconPair* pair = IconsOf(row.kind)) {
      (isSelected ? pair->selected : pair->normal).DrawAlpha(dc, r.left + 1, y + (rowHeight - iconHeight_) / 2);
    }
    const platform::Colour colour = isSelected ? kSelectedTextColour : kTextColour;
    auto& texts = texts_[static_cast<std::size_t>(i)];
    texts[0].Set(infoFont_.get(), row.info);
    texts[0].Draw(dc, x, y, clip, colour);
    texts[1].Set(titleFont_.get(), row.title);
    texts[1].Draw(dc, x, y + kTitleOffset * s, clip, colour);
    texts[2].Set(locationFont_.get(), row.location);
    const std::int32_t gap = style_.locationGapScales ? style_.locationGap * s : style_.locationGap;
    texts[2].Draw(dc, x, y + rowHeight - gap - texts[2].GetSize().height, clip, kLocationColour);
  }
  if (count < rowsPerPage[o]) DrawStrip(dc, count * rowHeight, lineStrip_.get(), lineStrip_->Height(), true);
  if (count == 0 && !hint_[o].empty()) {
    const platform::Colour previous = dc.SetTextColor(kHintColour);
    const platform::BackgroundMode mode = dc.SetBkMode(platform::BackgroundMode::kTransparent);
    const platform::Font* font = dc.SelectFont(hintFont_.get());
    platform::Rect box{r.left, o == 1 ? rowHeight : rowHeight / 2, r.left + CurrentWidth(), CurrentHeight()};
    dc.DrawText(hint_[o], box, platform::kDtCenter | platform::kDtWordBreak);
    dc.SelectFont(font);
    dc.SetBkMode(mode);
    dc.SetTextColor(previous);
  }
}

}  // namespace screens
