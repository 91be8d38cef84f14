#include "tools/artwork/PngFile.h"

#include <vector>

namespace artwork {
namespace {

uint8_t Unpremultiply(uint32_t channel, uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<uint8_t>((channel * 255 + alpha / 2) / alpha);
}

// Converts the surface to packed rows of RGB or RGBA bytes.
std::vector<uint8_t> PackRows(cairo_surface_t* surface, bool withAlpha) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int channels = withAlpha ? 4 : 3;
  std::vector<uint8_t> rows(static_cast<size_t>(width) * height * channels);
  uint8_t* out = rows.data();
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = line[x];
      const uint32_t a = withAlpha ? pixel >> 24 : 255;
      const uint32_t r = (pixel >> 16) & 0xFF;
      const uint32_t g = (pixel >> 8) & 0xFF;
      const uint32_t b = pixel & 0xFF;
      *out++ = withAlpha ? Unpremultiply(r, a) : static_cast<uint8_t>(r);
      *out++ = withAlpha ? Unpremultiply(g, a) : static_cast<uint8_t>(g);
      *out++ = withAlpha ? Unpremultiply(b, a) : static_cast<uint8_t>(b);
      if (withAlpha) *out++ = static_cast<uint8_t>(a);
    }
  }
  return rows;
}

}  // namespace

bool WritePng(const std::filesystem::path& path, cairo_surface_t* surface, std::string& error) {
  const bool withAlpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const std::vector<uint8_t> rows = PackRows(surface, withAlpha);
  return platform::WritePng(path.string(), width, height,
                            withAlpha ? platform::PngLayout::kRgba : platform::PngLayout::kRgb, rows.data(),
                            true, error);
}

bool ReadPng(const std::filesystem::path& path, PngImage* image) { return platform::ReadPng(path.string(), image); }

}  // namespace artwork
