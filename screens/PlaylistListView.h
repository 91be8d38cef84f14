#pragma once

#include <cstdint>
#include <memory>

#include "platform/text/Font.h"
#include "ui/ListView.h"
#include "ui/STScreenBuffer.h"

namespace playlist {
class CurrentPlaylist;
}  // namespace playlist

namespace screens {

// The rows of the Current Playlist: per entry an AudioCue icon (yellow for the entry marked
// current, blue for the others; the Selected picture on the selected row), the creator and
// album, the title and the address, over the line strip or the selected band; the empty-list
// text when there is nothing to show. `selected` and `firstRow` mirror the playlist's
// selectedIndex and topIndex; the owning screen keeps them in step.
class PlaylistListView : public ui::ListView {
 public:
  static constexpr platform::Colour kBackground = 0xF3F0DC;
  static constexpr platform::Colour kTextColour = 0x790000;
  static constexpr platform::Colour kSelectedTextColour = 0xFFFFFF;
  static constexpr platform::Colour kAddressColour = 0x78B337;
  static constexpr platform::Colour kEmptyTextColour = 0x7A0000;
  static constexpr const char16_t* kEmptyText[2] = {
      u"The Current Playlist will be displayed here.\n\nPlease add AudioCues from the Search\nResults List "
      u"(Magnifying Glass Icon) or\nFeatured Cuelists List (Star Icon)",
      u"The Current Playlist will be\ndisplayed here.\n\nPlease add AudioCues or\nCueLists from the Search "
      u"Results\nList (Magnifying Glass Icon) or CueLists from the Featured\nCuelists List (Star Icon)"};

  void SetPlaylist(const playlist::CurrentPlaylist* playlist) { playlist_ = playlist; }
  // The View create, then the icons and strips: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;

  std::int32_t Count() const override;
  // A selection past the last entry comes back to it; then the rows of the page from firstRow,
  // a line strip under the last of them when the page is not full, and the empty-list text
  // when there is no entry.
  void DrawRows(platform::Canvas& dc) override;

  // "creator - album", or whichever is not empty (record fields, UTF-8).
  static std::u16string CreatorAlbumLine(const char* creator, const char* album);

 private:
  void DrawRow(platform::Canvas& dc, std::int32_t index, std::int32_t y);

  const playlist::CurrentPlaylist* playlist_ = nullptr;
  // Normal and Selected pictures of the blue (ordinary) and yellow (current) icons.
  ui::STScreenBuffer blueIcon_[2];
  ui::STScreenBuffer yellowIcon_[2];
  std::unique_ptr<platform::Surface> selectedStrip_;
  std::unique_ptr<platform::Surface> lineStrip_;
  std::unique_ptr<platform::Font> lineFont_, titleFont_, addressFont_, emptyFont_;
};

}  // namespace screens
