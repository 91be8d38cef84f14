// The mini player under the list screens: its translucent backgrounds (the theme colour is
// filled first and shows through), the load bar and the position handle.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;

// A light gloss over the theme colour (the mini player draws its texts in black), a dark top
// edge against the list, and a recessed groove for the load bar.
void Background(const ArtContext& art, double width, double height, double barY) {
  cairo_t* cr = art.cr;
  const double mid = std::floor(height * 0.5);
  cairo_rectangle(cr, 0, 0, width, mid);
  FillVertical(cr, 0, mid, {{0, 0xFFFFFF, 0.82}, {1, 0xFFFFFF, 0.62}});
  cairo_rectangle(cr, 0, mid, width, height - mid);
  FillVertical(cr, mid, height, {{0, 0xFFFFFF, 0.42}, {1, 0xFFFFFF, 0.56}});
  cairo_rectangle(cr, 0, 0, width, 1);
  SetColor(cr, 0x0B0E13, 0.85);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 1, width, 1);
  SetColor(cr, 0xFFFFFF, 0.75);
  cairo_fill(cr);
  // The groove, one pixel larger than the bar all round.
  const double gx = kMiniBarX - 1, gw = width - 8 + 2;
  RoundedRect(cr, gx, barY - 1, gw, kMiniLoadBarHeight + 2, 2.5);
  SetColor(cr, 0x000000, 0.55);
  cairo_fill(cr);
  RoundedRect(cr, gx, barY + kMiniLoadBarHeight + 0.5, gw, 1, 0.5);
  SetColor(cr, 0xFFFFFF, 0.6);
  cairo_fill(cr);
}

// The bar that grows with the download: a bright cyan gradient.
void LoadBar(const ArtContext& art, double height) {
  cairo_rectangle(art.cr, 0, 0, 1, height);
  FillVertical(art.cr, 0, height, {{0, 0xC8F6FF, 1}, {0.5, 0x4CC9F0, 1}, {1, 0x1D8FC6, 1}});
}

// A small silver knob. The client centres the image on the bar's top edge, so the knob is
// drawn lower in the image to sit on the middle of the bar.
void Handle(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double cx = kMiniHandleWidth / 2.0;
  const double cy = kMiniHandleHeight / 2.0 + kMiniLoadBarHeight / 2.0;
  const double r = 3.5;
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy + 0.6, r + 0.4, 0, 2 * kPi);
  SetColor(cr, 0x000000, 0.5);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  FillWith(cr, RadialGradient(cx - 1, cy - 1.2, 0.3, r + 1,
                              {{0, 0xFFFFFF, 1}, {0.6, 0xC9CFD8, 1}, {1, 0x6B7483, 1}}));
}

}  // namespace

void AddMiniPlayerArt(ImageList* images) {
  images->push_back({"miniplayer/mini_player_progress_handle.png", kMiniHandleWidth,
                     kMiniHandleHeight, false, Handle});
  images->push_back({"miniplayer/vertical_miniplayer_background.png", kPortraitWidth,
                     kMiniPortraitHeight, false, [](const ArtContext& art) {
                       Background(art, kPortraitWidth, kMiniPortraitHeight, kMiniPortraitBarY);
                     }});
  images->push_back({"miniplayer/horizontal_miniplayer_background.png", kLandscapeWidth,
                     kMiniLandscapeHeight, false, [](const ArtContext& art) {
                       Background(art, kLandscapeWidth, kMiniLandscapeHeight, kMiniLandscapeBarY);
                     }});
  images->push_back({"miniplayer/mini_player_load_bar.png", 1, kMiniLoadBarHeight, true,
                     [](const ArtContext& art) { LoadBar(art, kMiniLoadBarHeight); }});
}

}  // namespace artwork
