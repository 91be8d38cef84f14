// The tab bar (slider overlays, collapsed tab pieces, tab icons), the title strip and the
// page buttons of the list screens.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;

// The light slider across the whole bar. The bar is first filled with the theme colour and
// outlined in black; the slider is a translucent white gloss, so the selected tab reads as a
// light tint of the theme. The outermost pixels stay clear to keep the outline.
void SliderOverlay(const ArtContext& art, double width) {
  cairo_t* cr = art.cr;
  const double h = kTabBarHeight;
  const double mid = h / 2;
  cairo_rectangle(cr, 1, 1, width - 2, mid - 1);
  FillVertical(cr, 1, mid, {{0, 0xFFFFFF, 0.86}, {1, 0xFFFFFF, 0.62}});
  cairo_rectangle(cr, 1, mid, width - 2, h - 1 - mid);
  FillVertical(cr, mid, h - 1, {{0, 0xFFFFFF, 0.40}, {1, 0xFFFFFF, 0.55}});
  cairo_rectangle(cr, 1, 1, width - 2, 1);
  SetColor(cr, 0xFFFFFF, 0.5);
  cairo_fill(cr);
  cairo_rectangle(cr, 1, h - 2, width - 2, 1);
  SetColor(cr, 0x000000, 0.18);
  cairo_fill(cr);
}

// One whole collapsed tab, 23 wide and 19 high; the three pieces are cut from it so that they
// join without a seam when the middle is stretched.
void CollapsedTab(cairo_t* cr) {
  const double w = kCollapsedTabWidth, h = kTabPieceHeight, r = 4;
  auto shape = [&](double inset) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, w - r, r + inset, r - inset, -kPi / 2, 0);
    cairo_line_to(cr, w - inset, h + 1);
    cairo_line_to(cr, inset, h + 1);
    cairo_arc(cr, r, r + inset, r - inset, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
  };
  shape(0);
  SetColor(cr, 0x0A0D12);
  cairo_fill(cr);
  shape(1);
  FillVertical(cr, 1, h, {{0, 0x55607A, 1}, {0.5, 0x2C3445, 1}, {0.52, 0x1E2431, 1}, {1, 0x121720, 1}});
  // Sheen on the upper half and a bright rim along the top.
  cairo_save(cr);
  shape(1);
  cairo_clip(cr);
  cairo_rectangle(cr, 0, 0, w, h * 0.5);
  FillVertical(cr, 0, h * 0.5, {{0, 0xFFFFFF, 0.22}, {1, 0xFFFFFF, 0.04}});
  cairo_restore(cr);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, r, 1.5);
  cairo_line_to(cr, w - r, 1.5);
  SetColor(cr, 0xA9B4C8, 0.75);
  cairo_stroke(cr);
}

void TabPiece(const ArtContext& art, double offsetX) {
  cairo_translate(art.cr, -offsetX, 0);
  CollapsedTab(art.cr);
}

enum class TabSymbol { kSearch, kStar, kPlaylist, kPlayer };

void TabIconShape(cairo_t* cr, TabSymbol symbol) {
  const double c = kTabIconSize / 2.0;
  switch (symbol) {
    case TabSymbol::kSearch:
      MagnifierSymbol(cr, c, c, 12.5, 1.6);
      break;
    case TabSymbol::kStar:
      StarPath(cr, c, c + 0.6, 6.4, 2.7, 5);
      cairo_fill(cr);
      break;
    case TabSymbol::kPlaylist:
      ListSymbol(cr, c, c, 11);
      break;
    case TabSymbol::kPlayer:
      cairo_save(cr);
      cairo_set_line_width(cr, 1.3);
      cairo_new_sub_path(cr);
      cairo_arc(cr, c, c, 5.6, 0, 2 * kPi);
      cairo_stroke(cr);
      cairo_restore(cr);
      PlaySymbol(cr, c + 0.2, c, 5.6);
      break;
  }
}

// White icons sit on the dark collapsed tabs with a dark drop shadow; black icons sit on the
// light slider with a faint white emboss below.
void TabIcon(const ArtContext& art, TabSymbol symbol, bool white) {
  cairo_t* cr = art.cr;
  cairo_save(cr);
  cairo_translate(cr, 0, 0.7);
  SetColor(cr, white ? 0x000000 : 0xFFFFFF, white ? 0.55 : 0.6);
  TabIconShape(cr, symbol);
  cairo_restore(cr);
  SetColor(cr, white ? 0xFFFFFF : 0x111418);
  TabIconShape(cr, symbol);
}

// The title strip behind the screen headings and the page control: dark graphite with a gloss.
void TitleStrip(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double h = kTitleStripHeight;
  cairo_rectangle(cr, 0, 0, 1, 24);
  FillVertical(cr, 0, 24, {{0, 0x3E4758, 1}, {1, 0x272E3B, 1}});
  cairo_rectangle(cr, 0, 24, 1, h - 24);
  FillVertical(cr, 24, h, {{0, 0x1B212B, 1}, {1, 0x0F1318, 1}});
  cairo_rectangle(cr, 0, 0, 1, 1);
  SetColor(cr, 0x6B778C);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, h - 1, 1, 1);
  SetColor(cr, 0x000000);
  cairo_fill(cr);
}

// Page buttons carry a white page number: a steel-blue pill, lit up while pressed.
void PageButton(const ArtContext& art, bool pressed) {
  cairo_t* cr = art.cr;
  const double w = kPageButtonWidth, h = kPageButtonHeight;
  RoundedRect(cr, 0.5, 1, w - 1, h - 1.5, 5.5);
  SetColor(cr, 0x000000, 0.45);
  cairo_fill(cr);
  RoundedRect(cr, 0.5, 0.5, w - 1, h - 1.5, 5.5);
  SetColor(cr, 0x0E1B33);
  cairo_fill(cr);
  RoundedRect(cr, 1.5, 1.5, w - 3, h - 3.5, 4.5);
  if (pressed) {
    FillVertical(cr, 1.5, h - 2, {{0, 0x2C5FB0, 1}, {1, 0x7FB2FF, 1}});
  } else {
    FillVertical(cr, 1.5, h - 2, {{0, 0x6F91C9, 1}, {0.5, 0x3C5E97, 1}, {0.52, 0x2C4C84, 1}, {1, 0x22406F, 1}});
  }
  Gloss(cr, 1.5, 1.5, w - 3, h - 3.5, 4.5, pressed ? 0.3 : 0.7);
}

void AddTabIcon(ImageList* images, const char* name, TabSymbol symbol, bool white) {
  images->push_back({std::string("tab_resources/") + name, kTabIconSize, kTabIconSize, false,
                     [symbol, white](const ArtContext& art) { TabIcon(art, symbol, white); }});
}

}  // namespace

void AddTabArt(ImageList* images) {
  images->push_back({"tab_resources/tab_left_end.png", kTabEndWidth, kTabPieceHeight, false,
                     [](const ArtContext& art) { TabPiece(art, 0); }});
  images->push_back({"tab_resources/tab_right_end.png", kTabEndWidth, kTabPieceHeight, false,
                     [](const ArtContext& art) { TabPiece(art, kTabEndWidth + kTabMiddleWidth); }});
  images->push_back({"tab_resources/horizontal_tab_slider_overlay.png", kLandscapeWidth,
                     kTabBarHeight, false,
                     [](const ArtContext& art) { SliderOverlay(art, kLandscapeWidth); }});
  images->push_back({"tab_resources/vertical_tab_slider_overlay.png", kPortraitWidth,
                     kTabBarHeight, false,
                     [](const ArtContext& art) { SliderOverlay(art, kPortraitWidth); }});
  images->push_back({"tab_resources/tab_middle.png", kTabMiddleWidth, kTabPieceHeight, true,
                     [](const ArtContext& art) { TabPiece(art, kTabEndWidth); }});
  images->push_back({"tab_resources/tab_bar_stretch_strip.png", 1, kTitleStripHeight, true,
                     TitleStrip});
  images->push_back({"tab_resources/page_button_normal.png", kPageButtonWidth, kPageButtonHeight,
                     false, [](const ArtContext& art) { PageButton(art, false); }});
  images->push_back({"tab_resources/page_button_clickdown.png", kPageButtonWidth,
                     kPageButtonHeight, false,
                     [](const ArtContext& art) { PageButton(art, true); }});
  AddTabIcon(images, "player_black_tab_icon_13x13.png", TabSymbol::kPlayer, false);
  AddTabIcon(images, "player_white_tab_icon_13x13.png", TabSymbol::kPlayer, true);
  AddTabIcon(images, "currentplaylist_black_tab_icon_13x13.png", TabSymbol::kPlaylist, false);
  AddTabIcon(images, "currentplaylist_white_tab_icon_13x13.png", TabSymbol::kPlaylist, true);
  AddTabIcon(images, "featuredstar_black_tab_icon_13x13.png", TabSymbol::kStar, false);
  AddTabIcon(images, "featuredstar_white_tab_icon_13x13.png", TabSymbol::kStar, true);
  AddTabIcon(images, "searchresults_black_tab_icon_13x13.png", TabSymbol::kSearch, false);
  AddTabIcon(images, "searchresults_white_tab_icon_13x13.png", TabSymbol::kSearch, true);
}

}  // namespace artwork
