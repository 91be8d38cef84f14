// The colour-theme samples, the skin chooser's "missing" thumbnail and the splash/About
// pictures.
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Layout.h"

#include <cmath>

namespace artwork {
namespace {

using namespace layout;
constexpr double kPi = 3.14159265358979323846;

struct ThemeSample {
  const char* file;
  uint32_t rgb;  // the theme colour, 0xRRGGBB
};

// The ten themes' colours, in the order of the colour-theme menu.
constexpr ThemeSample kSamples[] = {
    {"Black_Color_Sample_Icon.png", 0x000000},   {"Titanium_Color_Sample_Icon.png", 0x8B8B8B},
    {"White_Color_Sample_Icon.png", 0xEFEFEF},   {"Purple_Color_Sample_Icon.png", 0x473F94},
    {"Blue_Color_Sample_Icon.png", 0x008ED2},    {"Green_Color_Sample_Icon.png", 0x85C21F},
    {"Yellow_Color_Sample_Icon.png", 0xFEDE00},  {"Orange_Color_Sample_Icon.png", 0xF08817},
    {"Red_Color_Sample_Icon.png", 0xD90015},     {"Magenta_Color_Sample_Icon.png", 0xDB2B8D},
};

uint32_t Shade(uint32_t rgb, double factor) {
  auto channel = [&](int shift) {
    const double v = ((rgb >> shift) & 0xFF) * factor;
    return static_cast<uint32_t>(std::fmin(255.0, std::fmax(0.0, std::round(v))));
  };
  return channel(16) << 16 | channel(8) << 8 | channel(0);
}

uint32_t Lighten(uint32_t rgb, double amount) {
  auto channel = [&](int shift) {
    const double v = (rgb >> shift) & 0xFF;
    return static_cast<uint32_t>(std::round(v + (255 - v) * amount));
  };
  return channel(16) << 16 | channel(8) << 8 | channel(0);
}

// A glossy swatch of the theme colour with a dark frame and a drop shadow.
void ColorSample(const ArtContext& art, uint32_t rgb) {
  cairo_t* cr = art.cr;
  const double s = kSampleIconSize;
  cairo_save(cr);
  cairo_translate(cr, 0, 1.5);
  SoftShadow(cr, 3, 3, s - 6, s - 7, 7, 2, 0.5);
  cairo_restore(cr);
  RoundedRect(cr, 3, 2, s - 6, s - 6, 7);
  SetColor(cr, 0x0B0E13);
  cairo_fill(cr);
  RoundedRect(cr, 4, 3, s - 8, s - 8, 6);
  FillVertical(cr, 3, s - 5, {{0, Lighten(rgb, 0.25), 1}, {1, Shade(rgb, 0.78), 1}});
  Gloss(cr, 4, 3, s - 8, s - 8, 6, 0.9);
}

// No skin chosen: an empty console outline with a slash through it.
void MissingThumbnail(const ArtContext& art) {
  cairo_t* cr = art.cr;
  const double s = kSampleIconSize;
  RoundedRect(cr, 1.5, 1.5, s - 3, s - 3, 6);
  SetColor(cr, 0x2A2F38, 0.85);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1);
  const double dash[] = {2.5, 1.5};
  cairo_set_dash(cr, dash, 2, 0);
  RoundedRect(cr, 3.5, 3.5, s - 7, s - 7, 5);
  SetColor(cr, 0xAEB6C4);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_line_width(cr, 2.2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, s / 2, s / 2, 9, 0, 2 * kPi);
  cairo_move_to(cr, s / 2 - 6.4, s / 2 + 6.4);
  cairo_line_to(cr, s / 2 + 6.4, s / 2 - 6.4);
  SetColor(cr, 0xE8ECF2);
  cairo_stroke(cr);
}

// Splash and About: the Vornalo wordmark over a deep blue field with glowing sound rings,
// and a light band at the foot where the client writes the version and the credits in dark
// ink (the band starts above the credits' first line in both orientations).
void Splash(const ArtContext& art, double width, double height, double bandTop) {
  cairo_t* cr = art.cr;
  // Portrait stacks the disc over the wordmark; landscape puts them side by side.
  const bool landscape = width > height;
  const double cx = landscape ? width * 0.24 : width / 2, cy = bandTop * (landscape ? 0.5 : 0.46);
  cairo_rectangle(cr, 0, 0, width, bandTop);
  FillWith(cr, RadialGradient(cx, cy, 4, std::hypot(width, bandTop) * 0.6,
                              {{0, 0x24407A, 1}, {0.55, 0x0E1A36, 1}, {1, 0x04070F, 1}}));
  // Sound rings spreading from the disc.
  const double disc = std::fmin(width, bandTop) * (landscape ? 0.22 : 0.16);
  cairo_set_line_width(cr, 1.2);
  for (int i = 1; i <= 6; ++i) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, disc + i * disc * 0.55, -kPi * 0.85, -kPi * 0.15);
    SetColor(cr, 0x4CC9F0, 0.5 - i * 0.07);
    cairo_stroke(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, disc + i * disc * 0.55, kPi * 0.15, kPi * 0.85);
    SetColor(cr, 0x4CC9F0, 0.3 - i * 0.04);
    cairo_stroke(cr);
  }
  // The disc: a glossy record with a cyan label and a note.
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, disc, 0, 2 * kPi);
  FillWith(cr, RadialGradient(cx, cy, disc * 0.2, disc,
                              {{0, 0x2A2F38, 1}, {0.9, 0x0B0D11, 1}, {1, 0x000000, 1}}));
  cairo_set_line_width(cr, 0.4);
  for (int i = 0; i < 5; ++i) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, disc * (0.5 + i * 0.1), 0, 2 * kPi);
  }
  SetColor(cr, 0x6A7487, 0.5);
  cairo_stroke(cr);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, disc * 0.4, 0, 2 * kPi);
  FillVertical(cr, cy - disc * 0.4, cy + disc * 0.4, {{0, 0x8FE6FF, 1}, {1, 0x1D8FC6, 1}});
  SetColor(cr, 0x0B1A2E);
  NoteSymbol(cr, cx, cy + 0.5, disc * 0.55);
  Gloss(cr, cx - disc, cy - disc, 2 * disc, 2 * disc, disc, 0.6);
  // The wordmark.
  const double wordSize = landscape ? width * 0.13 : width * 0.15;
  const double wordX = landscape ? width * 0.66 : cx;
  const double wordY = landscape ? cy + wordSize * 0.3 : cy + disc + wordSize * 1.05;
  cairo_save(cr);
  cairo_translate(cr, 0, 1.2);
  SetColor(cr, 0x000000, 0.6);
  DrawText(art, "Vornalo", true, wordSize, wordX, wordY, TextAlign::kCenter);
  cairo_restore(cr);
  cairo_set_source(cr, LinearGradient(0, wordY - wordSize * 0.75, 0, wordY,
                                      {{0, 0xFFFFFF, 1}, {1, 0xA9D8F5, 1}}).get());
  DrawText(art, "Vornalo", true, wordSize, wordX, wordY, TextAlign::kCenter);
  SetColor(cr, 0x8FB8D8);
  DrawText(art, "M O B I L E", false, wordSize * 0.3, wordX, wordY + wordSize * 0.5,
           TextAlign::kCenter);
  // The light band.
  cairo_rectangle(cr, 0, bandTop, width, height - bandTop);
  FillVertical(cr, bandTop, height, {{0, 0xF7F8FB, 1}, {1, 0xDDE1E8, 1}});
  cairo_rectangle(cr, 0, bandTop, width, 1);
  SetColor(cr, 0x4CC9F0);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, bandTop + 1, width, 1);
  SetColor(cr, 0xFFFFFF);
  cairo_fill(cr);
}

}  // namespace

void AddMiscArt(ImageList* images) {
  images->push_back({"player/missing_tn.png", kSampleIconSize, kSampleIconSize, false,
                     MissingThumbnail});
  for (const ThemeSample& sample : kSamples) {
    const uint32_t rgb = sample.rgb;
    images->push_back({std::string("misc_resources/") + sample.file, kSampleIconSize,
                       kSampleIconSize, false,
                       [rgb](const ArtContext& art) { ColorSample(art, rgb); }});
  }
  images->push_back({"misc_resources/Splash_About_Vertical.png", kPortraitWidth, kPortraitHeight,
                     true, [](const ArtContext& art) {
                       Splash(art, kPortraitWidth, kPortraitHeight, kPortraitSplashBand);
                     }});
  images->push_back({"misc_resources/Splash_About_Horizontal.png", kLandscapeWidth,
                     kLandscapeHeight, true, [](const ArtContext& art) {
                       Splash(art, kLandscapeWidth, kLandscapeHeight, kLandscapeSplashBand);
                     }});
}

}  // namespace artwork
