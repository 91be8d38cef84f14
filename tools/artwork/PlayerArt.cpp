// The player console: the console bodies, the glass overlays, the progress overlays, the
// gauge handle, the load bar and the glass cracks.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/PlayerGeometry.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;

void GlassPath(cairo_t* cr, const PlayerGeometry& g, double grow) {
  RoundedRect(cr, g.glassX - grow, g.glassY - grow, g.glassW + 2 * grow, g.glassH + 2 * grow,
              5 + grow);
}

// Rows of small holes, the console's speaker grille.
void Grille(cairo_t* cr, double x, double y, int columns, int rows) {
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < columns; ++col) {
      const double cx = x + col * 5 + (row % 2) * 2.5, cy = y + row * 4.5;
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx, cy + 0.5, 1.2, 0, 2 * kPi);
      SetColor(cr, 0xFFFFFF, 0.10);
      cairo_fill(cr);
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx, cy, 1.2, 0, 2 * kPi);
      SetColor(cr, 0x000000, 0.75);
      cairo_fill(cr);
    }
  }
}

void Pad(cairo_t* cr, const PlayerGeometry& g) {
  const double cx = g.padX, cy = g.padY, r = kPadRadius;
  // A clear ring round the pad lets the theme colour glow through the body.
  cairo_save(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r + 4, 0, 2 * kPi);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_restore(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r + 4, 0, 2 * kPi);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, cx, cy, r + 3, 2 * kPi, 0);
  SetColor(cr, 0x000000, 0.6);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r + 3, 0, 2 * kPi);
  FillWith(cr, RadialGradient(cx, cy, r, r + 3, {{0, 0x000000, 0.45}, {1, 0x000000, 0.2}}));
  // The pad itself: a dark disc with a bright rim, a shallow dish, and a recess for the
  // centre button.
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
  FillWith(cr, LinearGradient(0, cy - r, 0, cy + r, {{0, 0x8A94A6, 1}, {1, 0x1A1E25, 1}}));
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r - 1.5, 0, 2 * kPi);
  FillWith(cr, LinearGradient(0, cy - r, 0, cy + r, {{0, 0x3A4250, 1}, {0.5, 0x232831, 1}, {1, 0x15181E, 1}}));
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r - 6, 0, 2 * kPi);
  FillWith(cr, RadialGradient(cx, cy - 10, 8, r, {{0, 0x2F3540, 1}, {1, 0x1B1F26, 1}}));
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, 22, 0, 2 * kPi);
  FillWith(cr, LinearGradient(0, cy - 22, 0, cy + 22, {{0, 0x07090C, 1}, {1, 0x4A5262, 1}}));
  // Four small dots between the symbols.
  for (int i = 0; i < 4; ++i) {
    const double a = kPi / 4 + i * kPi / 2;
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx + std::cos(a) * 38, cy + std::sin(a) * 38, 1.2, 0, 2 * kPi);
    SetColor(cr, 0x8E99AB, 0.7);
    cairo_fill(cr);
  }
}

// The status band of the glass: dark, with the groove of the load bar.
void StatusBand(cairo_t* cr, const PlayerGeometry& g, bool spectrum) {
  cairo_save(cr);
  GlassPath(cr, g, 0);
  cairo_clip(cr);
  cairo_rectangle(cr, g.glassX, g.bandTop, g.glassW, g.glassY + g.glassH - g.bandTop);
  FillVertical(cr, g.bandTop, g.glassY + g.glassH, {{0, 0x0C131C, 0.96}, {1, 0x05080C, 0.96}});
  cairo_rectangle(cr, g.glassX, g.bandTop, g.glassW, 1);
  SetColor(cr, 0x000000, 0.8);
  cairo_fill(cr);
  cairo_restore(cr);
  RoundedRect(cr, g.barX - 1, g.barY - 1, g.barW + 2, kLoadBarHeight + 2, 2);
  SetColor(cr, 0x000000);
  cairo_fill(cr);
  RoundedRect(cr, g.barX, g.barY, g.barW, kLoadBarHeight, 1.5);
  SetColor(cr, 0x1A2530);
  cairo_fill(cr);
  if (spectrum) {
    // A dim level meter between the bar and the times, as an LCD would show.
    Lcg random(7);
    const double baseY = g.barY + kLoadBarHeight + 36;
    for (int i = 0; i < 16; ++i) {
      const double x = g.padX - 40 + i * 5;
      const double level = 4 + std::floor(random.Range(0, 20) * (1 - std::fabs(i - 7.5) / 12));
      for (double y = 0; y < level; y += 2) {
        cairo_rectangle(cr, x, baseY - y - 1, 4, 1);
      }
    }
    SetColor(cr, 0x4CC9F0, 0.22);
    cairo_fill(cr);
  }
}

void Console(const ArtContext& art, const PlayerGeometry& g) {
  cairo_t* cr = art.cr;
  // The body, open at the top (the window's title bar is above), rounded at the bottom, with
  // a few pixels of the theme colour showing at the sides and bottom.
  const double bx = 3, bw = g.width - 6, bottom = g.height - 3;
  RoundedRect(cr, bx, -14, bw, bottom + 14, 12);
  SetColor(cr, 0x000000, 0.9);
  cairo_fill(cr);
  RoundedRect(cr, bx + 1, -14, bw - 2, bottom + 13, 11);
  FillVertical(cr, 0, bottom, {{0, 0x444C5A, 0.93}, {0.45, 0x262B34, 0.93}, {1, 0x12151A, 0.95}});
  // Fine brushed lines.
  Lcg random(11);
  for (double y = 1; y < bottom - 2; y += 1) {
    const double alpha = random.Range(0, 0.035);
    cairo_rectangle(cr, bx + 2, y, bw - 4, 0.5);
    SetColor(cr, random.Next() < 0.5 ? 0xFFFFFF : 0x000000, alpha);
    cairo_fill(cr);
  }
  // Grilles in the free corners.
  for (const auto& grille : g.grilles) Grille(cr, grille[0], grille[1], grille[2], grille[3]);
  // The bezel round the glass and the light glass itself: translucent white, so the theme
  // colour tints the display.
  GlassPath(cr, g, 2.5);
  SetColor(cr, 0x9AA4B5, 0.55);
  cairo_fill(cr);
  GlassPath(cr, g, 2);
  SetColor(cr, 0x05070A);
  cairo_fill(cr);
  cairo_save(cr);
  GlassPath(cr, g, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_restore(cr);
  GlassPath(cr, g, 0);
  FillVertical(cr, g.glassY, g.bandTop, {{0, 0xFFFFFF, 0.84}, {1, 0xF2F6FA, 0.74}});
  StatusBand(cr, g, g.portrait);
  Pad(cr, g);
}

// Shadow and highlight over the glass: an inner shadow along the top, a broad diagonal sheen
// over the display part, a bright lower lip.
void GlassOverlay(const ArtContext& art, const PlayerGeometry& g) {
  cairo_t* cr = art.cr;
  cairo_save(cr);
  GlassPath(cr, g, 0);
  cairo_clip(cr);
  cairo_rectangle(cr, g.glassX, g.glassY, g.glassW, 5);
  FillVertical(cr, g.glassY, g.glassY + 5, {{0, 0x000000, 0.45}, {1, 0x000000, 0}});
  cairo_rectangle(cr, g.glassX, g.glassY, 4, g.glassH);
  FillWith(cr, LinearGradient(g.glassX, 0, g.glassX + 4, 0, {{0, 0x000000, 0.3}, {1, 0x000000, 0}}));
  const double h = g.bandTop - g.glassY;
  cairo_move_to(cr, g.glassX, g.glassY);
  cairo_line_to(cr, g.glassX + g.glassW * 0.62, g.glassY);
  cairo_curve_to(cr, g.glassX + g.glassW * 0.45, g.glassY + h * 0.45, g.glassX + g.glassW * 0.2,
                 g.glassY + h * 0.7, g.glassX, g.glassY + h * 0.78);
  cairo_close_path(cr);
  FillWith(cr, LinearGradient(g.glassX, g.glassY, g.glassX + g.glassW * 0.4, g.glassY + h,
                              {{0, 0xFFFFFF, 0.42}, {1, 0xFFFFFF, 0.04}}));
  cairo_rectangle(cr, g.glassX, g.glassY + g.glassH - 1, g.glassW, 1);
  SetColor(cr, 0xFFFFFF, 0.22);
  cairo_fill(cr);
  cairo_restore(cr);
}

// Drawn over the load bar and the handle: the rim of the bar's tube and a sheen on its upper
// half. The bar starts 4 pixels in from the overlay's corner.
void ProgressOverlay(const ArtContext& art, double barWidth) {
  cairo_t* cr = art.cr;
  const double m = kProgressOverlayMargin, h = kLoadBarHeight;
  cairo_set_line_width(cr, 1);
  RoundedRect(cr, m - 1.5, m - 1.5, barWidth + 3, h + 3, 2.5);
  SetColor(cr, 0x7F8A9C, 0.45);
  cairo_stroke(cr);
  RoundedRect(cr, m, m, barWidth, h / 2, 1.5);
  FillVertical(cr, m, m + h / 2, {{0, 0xFFFFFF, 0.55}, {1, 0xFFFFFF, 0.1}});
  cairo_rectangle(cr, m, m + h - 1, barWidth, 1);
  SetColor(cr, 0x000000, 0.25);
  cairo_fill(cr);
}

// The gauge handle: the client draws it 4 unscaled pixels above the bar at every scale, so
// the knob's centre is placed from that to sit on the middle of the bar.
void GaugeHandle(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double cy = static_cast<double>(kGaugeHandleRise) / art.scale + kLoadBarHeight / 2.0;
  const double w = 5, h = 10, x = (kGaugeHandleWidth - w) / 2;
  RoundedRect(cr, x - 0.5, cy - h / 2 + 0.5, w + 1, h + 0.5, 2.5);
  SetColor(cr, 0x000000, 0.6);
  cairo_fill(cr);
  RoundedRect(cr, x, cy - h / 2, w, h, 2.5);
  FillWith(cr, LinearGradient(x, 0, x + w, 0,
                              {{0, 0xB8C0CC, 1}, {0.4, 0xFFFFFF, 1}, {1, 0x7D8796, 1}}));
}

void LoadBar(const ArtContext& art) {
  cairo_rectangle(art.cr, 0, 0, 1, kLoadBarHeight);
  FillVertical(art.cr, 0, kLoadBarHeight,
               {{0, 0xD4F8FF, 1}, {0.45, 0x55D0F4, 1}, {1, 0x1882B8, 1}});
}

// A crack: jagged rays from the impact with a few branches and a ring of splinters.
void Crack(const ArtContext& art, double w, double h, uint32_t seed) {
  cairo_t* cr = art.cr;
  Lcg random(seed);
  const double cx = w / 2, cy = h / 2;
  const int rays = 7 + static_cast<int>(random.Range(0, 3));
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (int pass = 0; pass < 2; ++pass) {
    Lcg shape(seed * 31 + 5);
    cairo_save(cr);
    if (pass == 0) cairo_translate(cr, 0.4, 0.6);
    for (int i = 0; i < rays; ++i) {
      const double angle = 2 * kPi * (i + shape.Range(-0.3, 0.3)) / rays;
      const double reach = std::fmin(w, h) / 2 * shape.Range(0.65, 0.98);
      double x = cx, y = cy, a = angle;
      cairo_move_to(cr, x, y);
      const int segments = 4;
      for (int s = 1; s <= segments; ++s) {
        a += shape.Range(-0.35, 0.35);
        x = cx + std::cos(a) * reach * s / segments;
        y = cy + std::sin(a) * reach * s / segments;
        cairo_line_to(cr, x, y);
        if (s == 2) {
          const double b = a + shape.Range(0.4, 0.8) * (shape.Next() < 0.5 ? -1 : 1);
          const double len = reach * shape.Range(0.2, 0.35);
          cairo_line_to(cr, x + std::cos(b) * len, y + std::sin(b) * len);
          cairo_move_to(cr, x, y);
        }
      }
    }
    const double ring = std::fmin(w, h) * 0.16;
    for (int i = 0; i < rays; ++i) {
      const double a0 = 2 * kPi * i / rays, a1 = a0 + 2 * kPi / rays * shape.Range(0.5, 0.9);
      cairo_new_sub_path(cr);
      cairo_arc(cr, cx, cy, ring * shape.Range(0.8, 1.3), a0, a1);
    }
    cairo_set_line_width(cr, pass == 0 ? 1.0 : 0.7);
    SetColor(cr, pass == 0 ? 0x000000 : 0xFFFFFF, pass == 0 ? 0.45 : 0.9);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, 2.2, 0, 2 * kPi);
  FillWith(cr, RadialGradient(cx, cy, 0, 2.2, {{0, 0xFFFFFF, 0.95}, {1, 0xFFFFFF, 0.2}}));
}

}  // namespace

void AddPlayerArt(ImageList* images) {
  const PlayerGeometry landscape = LandscapePlayer();
  const PlayerGeometry portrait = PortraitPlayer();
  images->push_back({"player/Main_Players_Gauge_Handle.png", kGaugeHandleWidth,
                     kGaugeHandleHeight, false, GaugeHandle});
  images->push_back({"player/Vertical_Player_Window_Shadow&Highlight.png", kPortraitWidth,
                     kPortraitHeight, false,
                     [portrait](const ArtContext& art) { GlassOverlay(art, portrait); }});
  images->push_back({"player/Horizontal_Player_Window_Shadow&Highlight.png", kLandscapeWidth,
                     kLandscapeHeight, false,
                     [landscape](const ArtContext& art) { GlassOverlay(art, landscape); }});
  images->push_back({"player/Vertical_Player_Window_Shadow_Highlight_Progress.png",
                     kPortraitBar[2] + 2 * kProgressOverlayMargin,
                     kLoadBarHeight + 2 * kProgressOverlayMargin, false,
                     [](const ArtContext& art) { ProgressOverlay(art, kPortraitBar[2]); }});
  images->push_back({"player/Horizontal_Player_Window_Shadow_Highlight_Progress.png",
                     kLandscapeBar[2] + 2 * kProgressOverlayMargin,
                     kLoadBarHeight + 2 * kProgressOverlayMargin, false,
                     [](const ArtContext& art) { ProgressOverlay(art, kLandscapeBar[2]); }});
  images->push_back({"player/Vertical_Player_Console.png", kPortraitWidth, kPortraitHeight, false,
                     [portrait](const ArtContext& art) { Console(art, portrait); }});
  images->push_back({"player/Horizontal_Player_Console.png", kLandscapeWidth, kLandscapeHeight,
                     false, [landscape](const ArtContext& art) { Console(art, landscape); }});
  const int crackSizes[4][2] = {{40, 40}, {48, 36}, {36, 48}, {44, 44}};
  for (int i = 0; i < 4; ++i) {
    const double w = crackSizes[i][0], h = crackSizes[i][1];
    const uint32_t seed = 101 + 17 * i;
    images->push_back({"player/Glass_Crack_" + std::to_string(i + 1) + ".png", crackSizes[i][0],
                       crackSizes[i][1], false,
                       [w, h, seed](const ArtContext& art) { Crack(art, w, h, seed); }});
  }
  images->push_back({"player/Main_Players_Load_Bar_Stretchable_Strip.png", 1, kLoadBarHeight,
                     true, LoadBar});
}

}  // namespace artwork
