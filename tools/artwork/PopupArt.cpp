// Popup panels (item popup, lists, new search), their floating icons, paging buttons, list
// strips and the query field.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;

struct PanelGeometry {
  double cardX, cardY, cardW, cardH;
  double infoBottom;  // the light card for the texts ends here
  const int* tint;    // where the client fills the theme colour
};

// The card floats over whatever screen is showing. Its header is an opaque light card for
// the black info texts; below it a translucent well lets the theme colour (filled into the
// tint rectangle first) show through around the menu rows. Everything outside the tint
// rectangle is either opaque or a soft shadow over the screen below.
void Panel(const ArtContext& art, const PanelGeometry& g, bool newSearch) {
  cairo_t* cr = art.cr;
  const double r = 9;
  cairo_save(cr);
  cairo_translate(cr, 0, 2);
  SoftShadow(cr, g.cardX, g.cardY, g.cardW, g.cardH, r, 5, 0.5);
  cairo_restore(cr);
  RoundedRect(cr, g.cardX, g.cardY, g.cardW, g.cardH, r);
  SetColor(cr, 0x06080B);
  cairo_fill(cr);
  RoundedRect(cr, g.cardX + 1, g.cardY + 1, g.cardW - 2, g.cardH - 2, r - 1);
  FillVertical(cr, g.cardY, g.cardY + g.cardH, {{0, 0x4A5363, 1}, {1, 0x1A1F27, 1}});

  // Header card.
  const double ix = g.cardX + 2, iy = g.cardY + 2, iw = g.cardW - 4, ih = g.infoBottom - iy;
  cairo_new_sub_path(cr);
  cairo_arc(cr, ix + iw - (r - 2), iy + (r - 2), r - 2, -kPi / 2, 0);
  cairo_line_to(cr, ix + iw, iy + ih);
  cairo_line_to(cr, ix, iy + ih);
  cairo_arc(cr, ix + (r - 2), iy + (r - 2), r - 2, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
  FillVertical(cr, iy, iy + ih, {{0, 0xFFFFFF, 1}, {0.45, 0xF2F4F7, 1}, {1, 0xD5DBE3, 1}});
  cairo_rectangle(cr, ix, iy + ih - 1, iw, 1);
  SetColor(cr, 0x8D96A5);
  cairo_fill(cr);
  if (newSearch) {
    // A faint magnifier watermark at the right of the header.
    SetColor(cr, 0x1C3F7A, 0.07);
    MagnifierSymbol(cr, ix + iw - 26, iy + 22, 36, 5);
  }

  // The translucent well inside the tint rectangle, one pixel in from its outline.
  const double wx = g.tint[0] + 1, wy = g.infoBottom, ww = g.tint[2] - g.tint[0] - 2,
               wh = g.tint[3] - 1 - g.infoBottom;
  cairo_save(cr);
  cairo_rectangle(cr, wx, wy, ww, wh);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_restore(cr);
  // A little white everywhere keeps the well glassy over the darkest themes.
  cairo_rectangle(cr, wx, wy, ww, wh);
  FillVertical(cr, wy, wy + wh, {{0, 0xFFFFFF, 0.16}, {0.6, 0xFFFFFF, 0.08}, {1, 0x000000, 0.3}});
  cairo_rectangle(cr, wx, wy, ww, wh * 0.4);
  FillVertical(cr, wy, wy + wh * 0.4, {{0, 0xFFFFFF, 0.32}, {1, 0xFFFFFF, 0.0}});
  cairo_rectangle(cr, wx, wy, ww, 3);
  FillVertical(cr, wy, wy + 3, {{0, 0x000000, 0.45}, {1, 0x000000, 0.0}});
}

PanelGeometry LandscapePanel(bool newSearch) {
  return {8, 6, 304, 174, newSearch ? 91.0 : 69.0, kLandscapeTint};
}

PanelGeometry PortraitPanel() { return {8, 3, 223, 256, 125, kPortraitTint}; }

enum class Floating { kAudio, kCueList, kArticle };

// A glossy tile with a drop shadow, the size of the floating icon.
void Tile(cairo_t* cr, double x, double y, double w, double h, uint32_t top, uint32_t bottom) {
  cairo_save(cr);
  cairo_translate(cr, 0, 1.5);
  SoftShadow(cr, x, y, w, h, 8, 2.5, 0.55);
  cairo_restore(cr);
  RoundedRect(cr, x, y, w, h, 8);
  SetColor(cr, 0x0B1220);
  cairo_fill(cr);
  RoundedRect(cr, x + 1, y + 1, w - 2, h - 2, 7);
  FillVertical(cr, y, y + h, {{0, top, 1}, {1, bottom, 1}});
  Gloss(cr, x + 1, y + 1, w - 2, h - 2, 7, 1.0);
}

void FloatingIcon(const ArtContext& art, Floating kind) {
  cairo_t* cr = art.cr;
  const double x = 5, y = 2, s = 34;
  const double cx = x + s / 2, cy = y + s / 2;
  switch (kind) {
    case Floating::kAudio:
      Tile(cr, x, y, s, s, 0x6DB6FF, 0x1650B5);
      SetColor(cr, 0xFFFFFF);
      NoteSymbol(cr, cx, cy + 1, 21);
      break;
    case Floating::kCueList:
      Tile(cr, x, y, s, s, 0x97E07A, 0x23801F);
      SetColor(cr, 0xFFFFFF);
      ListSymbol(cr, cx - 2, cy, 17);
      SetColor(cr, 0xFFFFFF, 0.95);
      NoteSymbol(cr, cx + 9, cy + 7, 11);
      break;
    case Floating::kArticle:
      Tile(cr, x, y, s, s, 0xFFFFFF, 0xAEB7C4);
      SetColor(cr, 0x1F2633);
      DrawText(art, "W", true, 22, cx, cy + 8, TextAlign::kCenter);
      break;
  }
}

// A chrome magnifier with a blue-tinted lens.
void MagGlassIcon(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double cx = 18, cy = 17, r = 11;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 6.5);
  cairo_move_to(cr, cx + 9, cy + 9);
  cairo_line_to(cr, cx + 19, cy + 19);
  SetColor(cr, 0x000000, 0.35);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 5);
  cairo_move_to(cr, cx + 9, cy + 9);
  cairo_line_to(cr, cx + 18.5, cy + 18.5);
  cairo_set_source(cr, LinearGradient(cx + 9, cy + 16, cx + 16, cy + 9,
                                      {{0, 0x1B1F26, 1}, {0.5, 0x59606C, 1}, {1, 0x1B1F26, 1}}).get());
  cairo_stroke(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy + 1, r + 2.5, 0, 2 * kPi);
  SetColor(cr, 0x000000, 0.3);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r + 2.5, 0, 2 * kPi);
  FillWith(cr, LinearGradient(cx - r, cy - r, cx + r, cy + r,
                              {{0, 0xF4F6F9, 1}, {0.5, 0x8C96A5, 1}, {1, 0xE0E4EA, 1}}));
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  FillWith(cr, RadialGradient(cx - 3, cy - 3, 1, r + 3,
                              {{0, 0xCDEBFF, 0.95}, {1, 0x2E7FD6, 0.9}}));
  cairo_save(cr);
  cairo_translate(cr, cx - 2.5, cy - 4.5);
  cairo_scale(cr, 7, 4.2);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  SetColor(cr, 0xFFFFFF, 0.6);
  cairo_fill(cr);
}

// Popup paging buttons carry a black number (white while pressed): light silver, pressed blue.
void PagingButton(const ArtContext& art, bool pressed) {
  cairo_t* cr = art.cr;
  const double w = kPageButtonWidth, h = kPageButtonHeight;
  RoundedRect(cr, 0.5, 1, w - 1, h - 1.5, 5.5);
  SetColor(cr, 0x000000, 0.3);
  cairo_fill(cr);
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1.5, 5.5);
  SetColor(cr, pressed ? 0x0E1B33 : 0x5F6877);
  cairo_fill(cr);
  RoundedRect(cr, 1.5, 1.5, w - 3, h - 3.5, 4.5);
  if (pressed) {
    FillVertical(cr, 1.5, h - 2, {{0, 0x1E3F7A, 1}, {1, 0x4E86D8, 1}});
  } else {
    FillVertical(cr, 1.5, h - 2, {{0, 0xFFFFFF, 1}, {0.5, 0xE6E9EE, 1}, {0.52, 0xD3D8E0, 1}, {1, 0xC2C8D2, 1}});
  }
  Gloss(cr, 1.5, 1.5, w - 3, h - 3.5, 4.5, pressed ? 0.3 : 0.6);
}

// The white entry row of popup lists: separator on top, faint shading.
void PopupLineStrip(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double h = kPopupRowHeight;
  cairo_rectangle(cr, 0, 0, 1, h);
  FillVertical(cr, 0, h, {{0, 0xFFFFFF, 1}, {1, 0xEDF0F4, 1}});
  cairo_rectangle(cr, 0, 0, 1, 1);
  SetColor(cr, 0xC3CAD4);
  cairo_fill(cr);
}

// The selected entry: a bright blue gloss (white text over it).
void PopupSelectedStrip(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double h = kPopupRowHeight;
  const double mid = 9;
  cairo_rectangle(cr, 0, 0, 1, mid);
  FillVertical(cr, 0, mid, {{0, 0x4F82D6, 1}, {1, 0x2A5DBA, 1}});
  cairo_rectangle(cr, 0, mid, 1, h - mid);
  FillVertical(cr, mid, h, {{0, 0x184AA6, 1}, {1, 0x123A86, 1}});
  cairo_rectangle(cr, 0, 0, 1, 1);
  SetColor(cr, 0x9CC0F7);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, h - 1, 1, 1);
  SetColor(cr, 0x10306A);
  cairo_fill(cr);
}

// The query field: a white input box with an inset shadow, the native edit control lies
// inside it (7 pixels in from each side, 15 high, centred).
void QueryField(const ArtContext& art, double width) {
  cairo_t* cr = art.cr;
  const double h = kQueryFieldHeight;
  const double x = 2, y = 6, w = width - 4, bh = h - 12;
  RoundedRect(cr, x - 1, y - 1, w + 2, bh + 3, 7);
  SetColor(cr, 0xFFFFFF, 0.8);
  cairo_fill(cr);
  RoundedRect(cr, x, y, w, bh, 6);
  SetColor(cr, 0x5B6575);
  cairo_fill(cr);
  RoundedRect(cr, x + 1, y + 1, w - 2, bh - 2, 5);
  SetColor(cr, 0xFFFFFF);
  cairo_fill(cr);
  cairo_save(cr);
  RoundedRect(cr, x + 1, y + 1, w - 2, bh - 2, 5);
  cairo_clip(cr);
  cairo_rectangle(cr, x, y + 1, w, 4);
  FillVertical(cr, y + 1, y + 5, {{0, 0x000000, 0.22}, {1, 0x000000, 0.0}});
  cairo_restore(cr);
}

}  // namespace

void AddPopupArt(ImageList* images) {
  images->push_back({"popup_panel/Horizontal_PopUp_Panel.png", kLandscapeWidth, kLandscapeHeight,
                     false, [](const ArtContext& art) { Panel(art, LandscapePanel(false), false); }});
  images->push_back({"popup_panel/Vertical_PopUp_Panel.png", kPortraitWidth, kPortraitHeight,
                     false, [](const ArtContext& art) { Panel(art, PortraitPanel(), false); }});
  images->push_back({"popup_panel/Horizontal_NewSearch_PopUp_Panel.png", kLandscapeWidth,
                     kLandscapeHeight, false,
                     [](const ArtContext& art) { Panel(art, LandscapePanel(true), true); }});
  images->push_back({"popup_panel/Vertical_NewSearch_PopUp_Panel.png", kPortraitWidth,
                     kPortraitHeight, false,
                     [](const ArtContext& art) { Panel(art, PortraitPanel(), true); }});
  images->push_back({"popup_panel/PopUp_Panel_Paging_Button_Normal.png", kPageButtonWidth,
                     kPageButtonHeight, false,
                     [](const ArtContext& art) { PagingButton(art, false); }});
  images->push_back({"popup_panel/PopUp_Panel_Paging_Button_Clickdown.png", kPageButtonWidth,
                     kPageButtonHeight, false,
                     [](const ArtContext& art) { PagingButton(art, true); }});
  images->push_back({"popup_panel/Panel_Floating_AudioCue_Icon.png", kFloatingIconWidth,
                     kFloatingIconHeight, false,
                     [](const ArtContext& art) { FloatingIcon(art, Floating::kAudio); }});
  images->push_back({"popup_panel/Panel_Floating_CueList_Icon.png", kFloatingIconWidth,
                     kFloatingIconHeight, false,
                     [](const ArtContext& art) { FloatingIcon(art, Floating::kCueList); }});
  images->push_back({"popup_panel/Panel_Floating_WikipediaCue_Icon.png", kFloatingIconWidth,
                     kFloatingIconHeight, false,
                     [](const ArtContext& art) { FloatingIcon(art, Floating::kArticle); }});
  images->push_back({"popup_panel/Horizontal_PopUp_NewSearch_Query_Field.png",
                     kLandscapeQueryFieldWidth, kQueryFieldHeight, false,
                     [](const ArtContext& art) { QueryField(art, kLandscapeQueryFieldWidth); }});
  images->push_back({"popup_panel/Vertical_PopUp_NewSearch_Query_Field.png",
                     kPortraitQueryFieldWidth, kQueryFieldHeight, false,
                     [](const ArtContext& art) { QueryField(art, kPortraitQueryFieldWidth); }});
  images->push_back({"popup_panel/New_Search_MagGlass_Icon.png", kFloatingIconWidth,
                     kFloatingIconHeight, false, MagGlassIcon});
  images->push_back({"popup_panel/PopUp_Panel_ListLine_White_Normal_Stretch.png", 1,
                     kPopupRowHeight, true, PopupLineStrip});
  images->push_back({"popup_panel/PopUp_Panel_ListLine_Blue_Selected_Stretch.png", 1,
                     kPopupRowHeight, true, PopupSelectedStrip});
}

}  // namespace artwork
