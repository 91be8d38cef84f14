#include "tools/artwork/IconArt.h"

#include <cmath>
#include <system_error>

#include "tools/artwork/ArtCanvas.h"
#include "tools/artwork/Paint.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Drawn in a 64-unit square; the canvas scale makes the pixel size.
constexpr double kUnits = 64;

void DrawIcon(cairo_t* cr) {
  const double c = kUnits / 2;
  RoundedRect(cr, 2, 2, kUnits - 4, kUnits - 4, 12);
  FillWith(cr, RadialGradient(c, c * 0.8, 2, kUnits * 0.75, {{0, 0x2F5AA8, 1}, {0.6, 0x132449, 1}, {1, 0x060B18, 1}}));
  // Sound rings either side of the record.
  cairo_set_line_width(cr, 2.2);
  for (int i = 1; i <= 2; ++i) {
    const double r = 17 + i * 5.5;
    for (double from : {-kPi * 0.3, kPi * 0.7}) {
      cairo_new_sub_path(cr);
      cairo_arc(cr, c, c, r, from, from + kPi * 0.6);
      SetColor(cr, 0x4CC9F0, 0.9 - i * 0.25);
      cairo_stroke(cr);
    }
  }
  const double disc = 16;
  cairo_new_sub_path(cr);
  cairo_arc(cr, c, c, disc, 0, 2 * kPi);
  FillWith(cr, RadialGradient(c, c, disc * 0.2, disc, {{0, 0x2A2F38, 1}, {0.9, 0x0B0D11, 1}, {1, 0x000000, 1}}));
  cairo_new_sub_path(cr);
  cairo_arc(cr, c, c, disc * 0.45, 0, 2 * kPi);
  FillVertical(cr, c - disc * 0.45, c + disc * 0.45, {{0, 0x8FE6FF, 1}, {1, 0x1D8FC6, 1}});
  SetColor(cr, 0x0B1A2E);
  NoteSymbol(cr, c, c + 0.5, disc * 0.6);
  Gloss(cr, 2, 2, kUnits - 4, kUnits - 4, 12, 0.35);
}

}  // namespace

bool WriteAppIcon(const std::filesystem::path& path, int pixels, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) {
    error = "cannot create " + path.parent_path().string() + ": " + ec.message();
    return false;
  }
  // The canvas is kUnits wide at scale 1; larger icons scale the same drawing.
  const int scale = pixels / static_cast<int>(kUnits);
  ArtCanvas canvas(static_cast<int>(kUnits), static_cast<int>(kUnits), scale, false);
  cairo_save(canvas.Context());
  DrawIcon(canvas.Context());
  cairo_restore(canvas.Context());
  return canvas.Save(path, error);
}

bool WriteAppIcons(const std::filesystem::path& root, std::string& error) {
  for (int pixels : {64, 128, 256}) {
    const std::string size = std::to_string(pixels) + "x" + std::to_string(pixels);
    if (!WriteAppIcon(root / "hicolor" / size / "apps" / "vornalo.png", pixels, error)) return false;
  }
  return true;
}

}  // namespace artwork
