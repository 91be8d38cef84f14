#include "screens/PlaylistListView.h"

#include "platform/TextCodec.h"
#include "playlist/CurrentPlaylist.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr const char* kBlueIcons[2] = {"\\list_resources\\Normal_Blue_AudioCue_Icon.png",
                                       "\\list_resources\\Selected_Blue_AudioCue_Icon.png"};
constexpr const char* kYellowIcons[2] = {"\\list_resources\\Normal_Yellow_AudioCue_Icon.png",
                                         "\\list_resources\\Selected_Yellow_AudioCue_Icon.png"};
constexpr const char16_t* kSelectedStrip = u"\\list_icon_resources\\Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png";
constexpr const char16_t* kLineStrip = u"\\list_icon_resources\\TabScreen_ListLine_White_Normal_Stretch.png";

// Font heights, QVGA.
constexpr std::int32_t kLineFontHeight = 12;
constexpr std::int32_t kTitleFontHeight = 16;
constexpr std::int32_t kAddressFontHeight = 8;
constexpr std::int32_t kEmptyFontHeight = 14;
constexpr std::int32_t kTitleOffset = 9;

}  // namespace

int PlaylistListView::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  int result = ListView::Create(rects, owner, notifyCookie);
  for (int i = 0; i < 2 && result == 1; ++i) result = ui::LoadResourcePng(blueIcon_[i], kBlueIcons[i]);
  for (int i = 0; i < 2 && result == 1; ++i) result = ui::LoadResourcePng(yellowIcon_[i], kYellowIcons[i]);
  if (result == 1) result = ui::LoadResourceBitmap(selectedStrip_, kSelectedStrip);
  if (result == 1) result = ui::LoadResourceBitmap(lineStrip_, kLineStrip);
  if (result != 1) return result;
  backgroundColour = kBackground;
  rowHeight = selectedStrip_->Height();
  const std::int32_t s = ui::Scale();
  lineFont_ = platform::Font::Create(kLineFontHeight * s, 400);
  titleFont_ = platform::Font::Create(kTitleFontHeight * s, 700);
  addressFont_ = platform::Font::Create(kAddressFontHeight * s, 400);
  emptyFont_ = platform::Font::Create(kEmptyFontHeight * s, 700);
  return 1;
}

std::int32_t PlaylistListView::Count() const { return playlist_ ? static_cast<std::int32_t>(playlist_->count()) : 0; }

std::u16string PlaylistListView::CreatorAlbumLine(const char* creator, const char* album) {
  if (creator[0] && album[0]) return platform::Utf8ToUtf16(creator) + u" - " + platform::Utf8ToUtf16(album);
  return platform::Utf8ToUtf16(creator[0] ? creator : album);
}

void PlaylistListView::DrawRows(platform::Canvas& dc) {
  const int o = ui::Orientation();
  const std::int32_t count = Count();
  if (count > 0 && selected >= count) selected = count - 1;
  std::int32_t row = 0;
  for (std::int32_t index = firstRow; index < count && row < rowsPerPage[o]; ++index, ++row) {
    DrawRow(dc, index, row * rowHeight);
  }
  if (row < rowsPerPage[o] && lineStrip_) DrawStrip(dc, row * rowHeight, lineStrip_.get(), lineStrip_->Height(), true);
  if (count > 0) return;
  // Landscape has half a row of room above the text, portrait a whole one.
  const std::int32_t top = o == 1 ? rowHeight : rowHeight / 2;
  platform::Rect box{rect[o].left, top, rect[o].left + width[o], height[o]};
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  dc.SetTextColor(kEmptyTextColour);
  const platform::Font* previous = dc.SelectFont(emptyFont_.get());
  dc.DrawText(kEmptyText[o], box, platform::kDtCenter | platform::kDtWordBreak);
  dc.SelectFont(previous);
}

void PlaylistListView::DrawRow(platform::Canvas& dc, std::int32_t index, std::int32_t y) {
  const playlist::PlaylistEntry* entry = playlist_->entryAt(static_cast<std::uint32_t>(index));
  if (!entry) return;
  const bool isSelected = index == selected;
  if (isSelected) DrawStrip(dc, y, selectedStrip_.get(), rowHeight, true);
  else DrawStrip(dc, y, lineStrip_.get(), lineStrip_->Height(), true);

  const int o = ui::Orientation();
  const std::int32_t s = ui::Scale();
  const std::int32_t left = rect[o].left;
  // The entry marked current (kind 0) keeps its yellow icon, selected or not.
  ui::STScreenBuffer& icon = (entry->kind == 0 ? yellowIcon_ : blueIcon_)[isSelected ? 1 : 0];
  icon.DrawAlpha(dc, left + 1, y + (rowHeight - icon.Height()) / 2);

  const catalogue::AudioCueRecord& record = *entry->record;
  const std::int32_t x = left + 5 * s + icon.Width();
  const platform::Rect clip{0, 0, width[o], height[o]};
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  dc.SetTextColor(isSelected ? kSelectedTextColour : kTextColour);
  const platform::Font* previous = dc.SelectFont(lineFont_.get());
  dc.TextOut(x, y, &clip, CreatorAlbumLine(record.creator, record.album));
  dc.SelectFont(titleFont_.get());
  dc.TextOut(x, y + kTitleOffset * s, &clip, platform::Utf8ToUtf16(record.title));
  dc.SelectFont(addressFont_.get());
  dc.SetTextColor(kAddressColour);
  const std::int32_t addressHeight = addressFont_ ? addressFont_->Height() : 0;
  dc.TextOut(x, y + rowHeight - 2 * s - addressHeight, &clip, platform::Utf8ToUtf16(record.location));
  dc.SelectFont(previous);
}

}  // namespace screens
