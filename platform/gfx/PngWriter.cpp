#include "platform/gfx/PngWriter.h"

#include <vector>

#include "platform/png/PngFile.h"

namespace platform {

bool WritePngFile(const Surface& surface, const std::string& path, std::string& error) {
  if (surface.IsEmpty()) {
    error = "empty surface";
    return false;
  }
  const std::int32_t w = surface.Width(), h = surface.Height();
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
  for (std::int32_t y = 0; y < h; ++y) {
    std::uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * w * 3;
    for (std::int32_t x = 0; x < w; ++x) {
      std::uint32_t p = surface.GetPixel(x, y);
      out[x * 3] = static_cast<std::uint8_t>(p >> 16);
      out[x * 3 + 1] = static_cast<std::uint8_t>(p >> 8);
      out[x * 3 + 2] = static_cast<std::uint8_t>(p);
    }
  }
  return WritePng(path, w, h, PngLayout::kRgb, rgb.data(), false, error);
}

}  // namespace platform
