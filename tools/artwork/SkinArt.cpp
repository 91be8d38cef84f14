// The player skins: each draws its own decoration over the console and glass, leaving the
// glass (where the track texts and the bar are) and the pad (under the buttons) clear, plus
// a thumbnail that shows the skin on a miniature console.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/PlayerGeometry.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;
constexpr double kGlassClearance = 3;  // skins keep this far from the glass
constexpr double kPadClearance = 6;    // and from the pad's edge

// Where a skin may paint: everything but the glass and the pad.
struct SkinFrame {
  double width, height;
  double glassX, glassY, glassW, glassH;
  double padX, padY, padR;
};

SkinFrame FrameOf(const PlayerGeometry& g) {
  return {g.width, g.height, g.glassX, g.glassY, g.glassW, g.glassH, g.padX, g.padY,
          static_cast<double>(kPadRadius)};
}

// Clears the glass and the pad (with their clearances) out of what the skin painted.
void CutOutGlassAndPad(cairo_t* cr, const SkinFrame& f) {
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  RoundedRect(cr, f.glassX - kGlassClearance, f.glassY - kGlassClearance,
              f.glassW + 2 * kGlassClearance, f.glassH + 2 * kGlassClearance, 6);
  cairo_fill(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, f.padX, f.padY, f.padR + kPadClearance, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_restore(cr);
}

void PadRing(cairo_t* cr, const SkinFrame& f, double width, uint32_t inner, uint32_t outer,
             double alpha) {
  const double r = f.padR + kPadClearance;
  cairo_new_sub_path(cr);
  cairo_arc(cr, f.padX, f.padY, r + width, 0, 2 * kPi);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, f.padX, f.padY, r, 2 * kPi, 0);
  FillWith(cr, LinearGradient(0, f.padY - r, 0, f.padY + r,
                              {{0, inner, alpha}, {1, outer, alpha}}));
}

// Sunburst: warm rays fanning out from behind the pad, a glow at the bottom, a gold ring.
void Sunburst(cairo_t* cr, const SkinFrame& f) {
  cairo_save(cr);
  const int rays = 28;
  const double reach = std::hypot(f.width, f.height);
  for (int i = 0; i < rays; ++i) {
    const double a0 = 2 * kPi * i / rays, a1 = a0 + kPi / rays;
    cairo_move_to(cr, f.padX, f.padY);
    cairo_arc(cr, f.padX, f.padY, reach, a0, a1);
    cairo_close_path(cr);
  }
  FillWith(cr, RadialGradient(f.padX, f.padY, f.padR, reach * 0.6,
                              {{0, 0xFFC23D, 0.55}, {0.5, 0xFF8A1F, 0.28}, {1, 0xE0451B, 0.06}}));
  cairo_rectangle(cr, 0, 0, f.width, f.height);
  FillWith(cr, RadialGradient(f.padX, f.height + f.padR * 0.3, f.padR * 0.5, f.padR * 2.2,
                              {{0, 0xFFB347, 0.35}, {1, 0xFFB347, 0}}));
  cairo_restore(cr);
  PadRing(cr, f, 2, 0xFFE08A, 0xC7741A, 0.95);
  CutOutGlassAndPad(cr, f);
}

// Aurora: flowing ribbons of green, teal and violet light over a scatter of stars.
void Aurora(cairo_t* cr, const SkinFrame& f) {
  cairo_save(cr);
  Lcg random(2024);
  for (int i = 0; i < 60; ++i) {
    const double x = random.Range(0, f.width), y = random.Range(0, f.height);
    const double r = random.Range(0.3, 0.9);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    SetColor(cr, 0xFFFFFF, random.Range(0.25, 0.8));
    cairo_fill(cr);
  }
  const uint32_t colours[3][2] = {{0x3CFFB0, 0x2BC4FF}, {0x2BC4FF, 0x9B5CFF}, {0x7CFF6B, 0x3CFFB0}};
  for (int band = 0; band < 3; ++band) {
    const double base = f.padY + (band - 1) * f.padR * 0.55;
    const double thick = f.padR * (0.35 + 0.1 * band);
    cairo_move_to(cr, 0, base + thick * 0.2);
    cairo_curve_to(cr, f.width * 0.3, base - f.padR * (0.9 - 0.3 * band), f.width * 0.6,
                   base + f.padR * 0.8, f.width, base - f.padR * 0.4);
    cairo_line_to(cr, f.width, base - f.padR * 0.4 + thick);
    cairo_curve_to(cr, f.width * 0.6, base + f.padR * 0.8 + thick, f.width * 0.3,
                   base - f.padR * (0.9 - 0.3 * band) + thick, 0, base + thick * 1.2);
    cairo_close_path(cr);
    FillWith(cr, LinearGradient(0, 0, f.width, 0,
                                {{0, colours[band][0], 0.05}, {0.35, colours[band][0], 0.42},
                                 {0.7, colours[band][1], 0.38}, {1, colours[band][1], 0.06}}));
  }
  cairo_restore(cr);
  PadRing(cr, f, 1.5, 0x9BFFE0, 0x2BC4FF, 0.85);
  CutOutGlassAndPad(cr, f);
}

// Carbon: a woven carbon-fibre body with twin red racing stripes and a steel ring.
void Carbon(cairo_t* cr, const SkinFrame& f) {
  cairo_save(cr);
  const double cell = 4;
  for (double y = 0; y < f.height; y += cell) {
    for (double x = 0; x < f.width; x += cell) {
      const bool across = (static_cast<int>(x / cell) + static_cast<int>(y / cell)) % 2 == 0;
      cairo_rectangle(cr, x, y, cell, cell);
      if (across) {
        FillWith(cr, LinearGradient(x, y, x, y + cell,
                                    {{0, 0x5A606A, 0.5}, {0.5, 0x22262C, 0.5}, {1, 0x0A0B0D, 0.5}}));
      } else {
        FillWith(cr, LinearGradient(x, y, x + cell, y,
                                    {{0, 0x0A0B0D, 0.5}, {0.5, 0x3A3F47, 0.5}, {1, 0x0A0B0D, 0.5}}));
      }
    }
  }
  const double stripeTop = f.glassY + f.glassH + kGlassClearance + 2;
  for (int side = 0; side < 2; ++side) {
    // Near the edges, clear of the times printed below the glass in landscape.
    const double x = side == 0 ? f.width * 0.025 : f.width * 0.975 - 9;
    cairo_rectangle(cr, x, stripeTop, 5, f.height - stripeTop);
    cairo_rectangle(cr, x + 7, stripeTop, 2, f.height - stripeTop);
    FillVertical(cr, stripeTop, f.height, {{0, 0xFF2A2A, 0.95}, {1, 0x9E0D12, 0.95}});
  }
  cairo_restore(cr);
  PadRing(cr, f, 3, 0xF2F4F7, 0x5E6673, 0.95);
  CutOutGlassAndPad(cr, f);
}

using SkinDraw = void (*)(cairo_t*, const SkinFrame&);

struct Skin {
  const char* name;
  SkinDraw draw;
  uint32_t thumbTop;
};

constexpr Skin kSkins[] = {
    {"Sunburst", Sunburst, 0x3A2A1C},
    {"Aurora", Aurora, 0x142233},
    {"Carbon", Carbon, 0x1C1E22},
};

// The thumbnail: a miniature console (dark body, light glass, pad) with the skin on it.
void Thumbnail(const ArtContext& art, const Skin& skin) {
  cairo_t* cr = art.cr;
  const double s = kSampleIconSize;
  RoundedRect(cr, 1, 1.5, s - 2, s - 2, 6);
  SetColor(cr, 0x000000, 0.45);
  cairo_fill(cr);
  RoundedRect(cr, 1, 1, s - 2, s - 2, 6);
  SetColor(cr, 0x05070A);
  cairo_fill(cr);
  RoundedRect(cr, 2, 2, s - 4, s - 4, 5);
  FillVertical(cr, 2, s - 2, {{0, skin.thumbTop, 1}, {1, 0x101318, 1}});
  const SkinFrame f{s, s, 6, 5, s - 12, 9, s / 2, 24, 7};
  cairo_save(cr);
  RoundedRect(cr, 2, 2, s - 4, s - 4, 5);
  cairo_clip(cr);
  skin.draw(cr, f);
  cairo_restore(cr);
  RoundedRect(cr, f.glassX, f.glassY, f.glassW, f.glassH, 2);
  FillVertical(cr, f.glassY, f.glassY + f.glassH, {{0, 0xF4F8FC, 1}, {1, 0xB9C6D4, 1}});
  cairo_new_sub_path(cr);
  cairo_arc(cr, f.padX, f.padY, f.padR, 0, 2 * kPi);
  FillVertical(cr, f.padY - f.padR, f.padY + f.padR, {{0, 0x59616F, 1}, {1, 0x15181E, 1}});
  cairo_new_sub_path(cr);
  cairo_arc(cr, f.padX, f.padY, 2.8, 0, 2 * kPi);
  SetColor(cr, 0xD5DBE3);
  cairo_fill(cr);
  Gloss(cr, 2, 2, s - 4, s - 4, 5, 0.5);
}

}  // namespace

void AddSkinArt(ImageList* images) {
  const SkinFrame landscape = FrameOf(LandscapePlayer());
  const SkinFrame portrait = FrameOf(PortraitPlayer());
  for (const Skin& skin : kSkins) {
    const std::string name = skin.name;
    images->push_back({"player/skins/" + name + "_tn.png", kSampleIconSize, kSampleIconSize,
                       false, [&skin](const ArtContext& art) { Thumbnail(art, skin); }});
    images->push_back({"player/skins/portrait/p_" + name + ".png", kPortraitWidth,
                       kPortraitHeight, false,
                       [&skin, portrait](const ArtContext& art) { skin.draw(art.cr, portrait); }});
    images->push_back({"player/skins/landscape/l_" + name + ".png", kLandscapeWidth,
                       kLandscapeHeight, false,
                       [&skin, landscape](const ArtContext& art) { skin.draw(art.cr, landscape); }});
  }
}

}  // namespace artwork
