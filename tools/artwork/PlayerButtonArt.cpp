// The five buttons of the player's pad, each in a Normal and a Clickdown state. The images
// are the buttons' hit boxes; the symbols inside are placed so that they sit on the pad's
// circle (see Layout.h).
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"

#include <cmath>
#include <functional>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;
constexpr double kSymbolSize = 15;
constexpr double kGlowRadius = 9;

using SymbolFn = std::function<void(cairo_t*, double, double)>;

// A pad symbol: light silver with a dark shadow; pressed, a cyan glow behind a cyan symbol.
void PadSymbol(const ArtContext& art, double cx, double cy, bool pressed, const SymbolFn& symbol) {
  cairo_t* cr = art.cr;
  if (pressed) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, kGlowRadius, 0, 2 * kPi);
    FillWith(cr, RadialGradient(cx, cy, 0, kGlowRadius,
                                {{0, 0x4CC9F0, 0.55}, {0.6, 0x4CC9F0, 0.22}, {1, 0x4CC9F0, 0}}));
  }
  cairo_save(cr);
  cairo_translate(cr, 0, 0.8);
  SetColor(cr, 0x000000, 0.7);
  symbol(cr, cx, cy);
  cairo_restore(cr);
  if (pressed) {
    SetColor(cr, 0xB8F1FF);
    symbol(cr, cx, cy);
  } else {
    cairo_set_source(cr, LinearGradient(0, cy - kSymbolSize / 2, 0, cy + kSymbolSize / 2,
                                        {{0, 0xFFFFFF, 1}, {1, 0xAEB7C5, 1}}).get());
    symbol(cr, cx, cy);
  }
}

// The centre button: a glossy silver disc with a dark symbol; pressed, the disc sinks (its
// gradient turns over) and the symbol lights up.
void CentreButton(const ArtContext& art, bool pressed, bool pause) {
  cairo_t* cr = art.cr;
  const double cx = kPlayButtonWidth / 2.0, cy = kPlayButtonHeight / 2.0, r = 18;
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy + 1, r + 0.5, 0, 2 * kPi);
  SetColor(cr, 0x000000, 0.6);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  SetColor(cr, 0x0A0C10);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r - 1, 0, 2 * kPi);
  if (pressed) {
    FillWith(cr, LinearGradient(0, cy - r, 0, cy + r, {{0, 0x5E6877, 1}, {1, 0xC9D0DA, 1}}));
  } else {
    FillWith(cr, LinearGradient(0, cy - r, 0, cy + r,
                                {{0, 0xF7F9FC, 1}, {0.5, 0xC3CAD5, 1}, {0.52, 0xA9B2BF, 1}, {1, 0xDCE1E8, 1}}));
  }
  if (!pressed) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy - r * 0.45);
    cairo_scale(cr, r * 0.78, r * 0.45);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    SetColor(cr, 0xFFFFFF, 0.45);
    cairo_fill(cr);
  }
  const double size = 14;
  const double sx = pause ? cx : cx + 1;
  cairo_save(cr);
  cairo_translate(cr, 0, 0.8);
  SetColor(cr, 0xFFFFFF, pressed ? 0.15 : 0.6);
  pause ? PauseSymbol(cr, sx, cy, size) : PlaySymbol(cr, sx, cy, size);
  cairo_restore(cr);
  SetColor(cr, pressed ? 0x0E5E86 : 0x1A1F27);
  pause ? PauseSymbol(cr, sx, cy, size) : PlaySymbol(cr, sx, cy, size);
}

void Skip(cairo_t* cr, double cx, double cy, bool forward) {
  SkipSymbol(cr, cx, cy, kSymbolSize, forward);
}

void Playlist(cairo_t* cr, double cx, double cy) { ListSymbol(cr, cx, cy, 13); }

void Search(cairo_t* cr, double cx, double cy) { MagnifierSymbol(cr, cx, cy, 15, 2.2); }

void AddButton(ImageList* images, const std::string& name, int w, int h,
               std::function<void(const ArtContext&, bool)> draw) {
  images->push_back({"player/Main_Player_" + name + "_Normal.png", w, h, false,
                     [draw](const ArtContext& art) { draw(art, false); }});
  images->push_back({"player/Main_Player_" + name + "_Clickdown.png", w, h, false,
                     [draw](const ArtContext& art) { draw(art, true); }});
}

}  // namespace

void AddPlayerButtonArt(ImageList* images) {
  AddButton(images, "Pause_Button", kPlayButtonWidth, kPlayButtonHeight,
            [](const ArtContext& art, bool pressed) { CentreButton(art, pressed, true); });
  AddButton(images, "Play_Button", kPlayButtonWidth, kPlayButtonHeight,
            [](const ArtContext& art, bool pressed) { CentreButton(art, pressed, false); });
  AddButton(images, "SearchResults_Symbol", kSideButtonWidth, kSideButtonHeight,
            [](const ArtContext& art, bool pressed) {
              PadSymbol(art, kSearchSymbolX, kSideButtonHeight / 2.0, pressed, Search);
            });
  AddButton(images, "Current_Playlist_Symbol", kSideButtonWidth, kSideButtonHeight,
            [](const ArtContext& art, bool pressed) {
              PadSymbol(art, kPlaylistSymbolX, kSideButtonHeight / 2.0, pressed, Playlist);
            });
  AddButton(images, "Next_Symbol", kNextButtonWidth, kSkipButtonHeight,
            [](const ArtContext& art, bool pressed) {
              PadSymbol(art, kNextButtonWidth / 2.0, kSkipSymbolY, pressed,
                        [](cairo_t* cr, double x, double y) { Skip(cr, x, y, true); });
            });
  AddButton(images, "Previous_Symbol", kPreviousButtonWidth, kSkipButtonHeight,
            [](const ArtContext& art, bool pressed) {
              PadSymbol(art, kPreviousButtonWidth / 2.0, kSkipSymbolY, pressed,
                        [](cairo_t* cr, double x, double y) { Skip(cr, x, y, false); });
            });
}

}  // namespace artwork
