// The list rows: kind icons (normal rows and the selected row) and the two row strips.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;

enum class Kind { kBlueAudio, kYellowAudio, kCueList, kArticle };

// The badge behind a kind symbol: a glossy disc (tracks, articles) or rounded square (lists).
void Badge(const ArtContext& art, Kind kind, bool selected) {
  cairo_t* cr = art.cr;
  const double size = kListIconSize;
  const double c = size / 2;
  const double r = size / 2 - 1.5;
  auto shape = [&](double inset) {
    if (kind == Kind::kCueList) {
      RoundedRect(cr, c - r + inset, c - r + inset, 2 * (r - inset), 2 * (r - inset), 5 - inset);
    } else {
      cairo_new_sub_path(cr);
      cairo_arc(cr, c, c, r - inset, 0, 2 * kPi);
    }
  };
  // Shadow below, then a ring: white on the dark selected band, dark on white rows.
  cairo_save(cr);
  cairo_translate(cr, 0, 1);
  shape(-0.5);
  cairo_set_source_rgba(cr, 0, 0, 0, selected ? 0.45 : 0.22);
  cairo_fill(cr);
  cairo_restore(cr);
  shape(-0.5);
  SetColor(cr, selected ? 0xFFFFFF : 0x33415A, selected ? 0.95 : 0.55);
  cairo_fill(cr);
  uint32_t top = 0, bottom = 0;
  switch (kind) {
    case Kind::kBlueAudio: top = selected ? 0x7CC4FF : 0x62AEF5; bottom = selected ? 0x1E6FE0 : 0x1552B8; break;
    case Kind::kYellowAudio: top = 0xFFE97A; bottom = selected ? 0xF0A000 : 0xDB9200; break;
    case Kind::kCueList: top = selected ? 0x9BE77F : 0x86D46C; bottom = selected ? 0x2FA22C : 0x2A8A28; break;
    case Kind::kArticle: top = 0xFFFFFF; bottom = selected ? 0xC9D3E0 : 0xB4BCC8; break;
  }
  shape(0.8);
  FillVertical(cr, c - r, c + r, {{0, top, 1}, {1, bottom, 1}});
  // Sheen on the upper half.
  cairo_save(cr);
  shape(0.8);
  cairo_clip(cr);
  cairo_new_sub_path(cr);
  cairo_save(cr);
  cairo_translate(cr, c, c - r * 0.55);
  cairo_scale(cr, r * 0.95, r * 0.6);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  FillVertical(cr, c - r, c, {{0, 0xFFFFFF, 0.65}, {1, 0xFFFFFF, 0.08}});
  cairo_restore(cr);
}

void ListIcon(const ArtContext& art, Kind kind, bool selected) {
  cairo_t* cr = art.cr;
  Badge(art, kind, selected);
  const double c = kListIconSize / 2.0;
  switch (kind) {
    case Kind::kBlueAudio:
      SetColor(cr, 0xFFFFFF);
      NoteSymbol(cr, c, c + 0.5, 13);
      break;
    case Kind::kYellowAudio:
      SetColor(cr, 0x5A3B00);
      NoteSymbol(cr, c, c + 0.5, 13);
      break;
    case Kind::kCueList:
      SetColor(cr, 0xFFFFFF);
      ListSymbol(cr, c, c, 11);
      break;
    case Kind::kArticle: {
      // A faint globe under a bold W.
      cairo_save(cr);
      cairo_set_line_width(cr, 0.6);
      SetColor(cr, 0x6A7890, 0.55);
      cairo_new_sub_path(cr);
      cairo_arc(cr, c, c, 8, 0, 2 * kPi);
      cairo_move_to(cr, c - 8, c);
      cairo_line_to(cr, c + 8, c);
      cairo_stroke(cr);
      cairo_save(cr);
      cairo_translate(cr, c, c);
      cairo_scale(cr, 0.45, 1);
      cairo_arc(cr, 0, 0, 8, 0, 2 * kPi);
      cairo_restore(cr);
      cairo_stroke(cr);
      cairo_restore(cr);
      SetColor(cr, 0x1F2633);
      DrawText(art, "W", true, 13, c, c + 4.8, TextAlign::kCenter);
      break;
    }
  }
}

// The white row: a fine separator on top (so a strip drawn under the last row closes the
// list), then white shading very slightly towards the bottom.
void LineStrip(const ArtContext& art, double height) {
  cairo_t* cr = art.cr;
  cairo_rectangle(cr, 0, 0, 1, height);
  FillVertical(cr, 0, height, {{0, 0xFFFFFF, 1}, {1, 0xF1F4F8, 1}});
  cairo_rectangle(cr, 0, 0, 1, 1);
  SetColor(cr, 0xCDD3DC);
  cairo_fill(cr);
}

// The dark-blue selected band: glossy upper half, deeper lower half, dark bottom edge.
void SelectedBand(const ArtContext& art, double height) {
  cairo_t* cr = art.cr;
  const double mid = std::floor(height * 0.48);
  cairo_rectangle(cr, 0, 0, 1, mid);
  FillVertical(cr, 0, mid, {{0, 0x3A6CB8, 1}, {1, 0x1D4C98, 1}});
  cairo_rectangle(cr, 0, mid, 1, height - mid);
  FillVertical(cr, mid, height, {{0, 0x0F3577, 1}, {1, 0x0A2857, 1}});
  cairo_rectangle(cr, 0, 0, 1, 1);
  SetColor(cr, 0x6F97D6);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, height - 1, 1, 1);
  SetColor(cr, 0x061938);
  cairo_fill(cr);
}

void AddIconPair(ImageList* images, const char* normal, const char* selected, Kind kind) {
  images->push_back({std::string("list_resources/") + normal, kListIconSize, kListIconSize, false,
                     [kind](const ArtContext& art) { ListIcon(art, kind, false); }});
  images->push_back({std::string("list_resources/") + selected, kListIconSize, kListIconSize,
                     false, [kind](const ArtContext& art) { ListIcon(art, kind, true); }});
}

}  // namespace

void AddListArt(ImageList* images) {
  AddIconPair(images, "Normal_CueList_Icon.png", "Selected_CueList_Icon.png", Kind::kCueList);
  AddIconPair(images, "Normal_WikipediaCue_Icon.png", "Selected_WikipediaCue_Icon.png",
              Kind::kArticle);
  AddIconPair(images, "Normal_Blue_AudioCue_Icon.png", "Selected_Blue_AudioCue_Icon.png",
              Kind::kBlueAudio);
  AddIconPair(images, "Normal_Yellow_AudioCue_Icon.png", "Selected_Yellow_AudioCue_Icon.png",
              Kind::kYellowAudio);
  images->push_back({"list_icon_resources/TabScreen_ListLine_White_Normal_Stretch.png", 1,
                     kListRowHeight, true,
                     [](const ArtContext& art) { LineStrip(art, kListRowHeight); }});
  images->push_back({"list_icon_resources/Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png", 1,
                     kListRowHeight, true,
                     [](const ArtContext& art) { SelectedBand(art, kListRowHeight); }});
}

}  // namespace artwork
