#include "tools/artwork/ContactSheet.h"

#include "tools/artwork/ArtCanvas.h"
#include "tools/artwork/Paint.h"

#include <algorithm>
#include <cmath>

namespace artwork {
namespace {

constexpr int kSheetWidth = 1100;     // in sheet units (pixels at scale 1)
constexpr int kPadding = 8;
constexpr int kLabelSize = 9;
constexpr int kLabelHeight = 14;
constexpr int kChecker = 6;
constexpr int kStripShownWidth = 40;  // one-pixel strips are shown this wide

struct Cell {
  const SheetEntry* entry;
  double imageWidth;   // in sheet units
  double imageHeight;
  double width;
  double height;
  double x = 0;
  double y = 0;
};

void Checkerboard(cairo_t* cr, double x, double y, double w, double h) {
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  // Mid greys, so that white and black pictures both show.
  SetColor(cr, 0xA4A4A4);
  cairo_paint(cr);
  SetColor(cr, 0x8A8A8A);
  for (int row = 0; row * kChecker < h; ++row) {
    for (int col = row % 2; col * kChecker < w; col += 2) {
      cairo_rectangle(cr, x + col * kChecker, y + row * kChecker, kChecker, kChecker);
    }
  }
  cairo_fill(cr);
  cairo_restore(cr);
}

// The picture's short name: the file name without its folders.
std::string Label(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool WriteContactSheet(const std::filesystem::path& path, const std::vector<SheetEntry>& entries,
                       const Fonts& fonts, int scale, std::string& error) {
  // Measure with a scratch context, then pack the cells in rows.
  ArtCanvas scratch(1, 1, 1, false);
  const ArtContext measure{scratch.Context(), 1, &fonts};
  std::vector<Cell> cells;
  for (const SheetEntry& entry : entries) {
    const int pixelWidth = cairo_image_surface_get_width(entry.surface);
    const double w = pixelWidth == 1 ? 1 : pixelWidth / static_cast<double>(scale);
    const double h = cairo_image_surface_get_height(entry.surface) / static_cast<double>(scale);
    const double shownWidth = w == 1 ? kStripShownWidth : w;
    const double labelWidth = TextWidth(measure, Label(entry.name).c_str(), false, kLabelSize);
    cells.push_back({&entry, shownWidth, h, std::max(shownWidth, labelWidth) + kPadding,
                     h + kLabelHeight + kPadding});
  }
  double x = kPadding, y = kPadding, rowHeight = 0;
  for (Cell& cell : cells) {
    if (x + cell.width > kSheetWidth && x > kPadding) {
      x = kPadding;
      y += rowHeight;
      rowHeight = 0;
    }
    cell.x = x;
    cell.y = y;
    x += cell.width;
    rowHeight = std::max(rowHeight, cell.height);
  }
  const int sheetHeight = static_cast<int>(std::ceil(y + rowHeight + kPadding));

  ArtCanvas sheet(kSheetWidth, sheetHeight, scale, true);
  const ArtContext art{sheet.Context(), scale, &fonts};
  cairo_t* cr = art.cr;
  SetColor(cr, 0xE4E5E8);
  cairo_paint(cr);
  for (const Cell& cell : cells) {
    Checkerboard(cr, cell.x, cell.y, cell.imageWidth, cell.imageHeight);
    cairo_save(cr);
    cairo_translate(cr, cell.x, cell.y);
    cairo_scale(cr, cell.imageWidth / cairo_image_surface_get_width(cell.entry->surface),
                1.0 / scale);
    cairo_set_source_surface(cr, cell.entry->surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    SetColor(cr, 0x202328);
    DrawText(art, Label(cell.entry->name).c_str(), false, kLabelSize, cell.x,
             cell.y + cell.imageHeight + kLabelHeight - 4, TextAlign::kLeft);
  }
  return sheet.Save(path, error);
}

}  // namespace artwork
