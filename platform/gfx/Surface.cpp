#include "platform/gfx/Surface.h"

#include <cstring>

namespace platform {

Surface::Surface(std::int32_t width, std::int32_t height, PixelFormat format) {
  Reset(width, height, format);
}

std::size_t Surface::StrideFor(std::int32_t width, PixelFormat format) {
  if (width <= 0) return 0;
  std::size_t w = static_cast<std::size_t>(width);
  return format == PixelFormat::kXrgb32 ? w * 4 : (w * 3 + 3) / 4 * 4;
}

void Surface::Reset(std::int32_t width, std::int32_t height, PixelFormat format) {
  if (width <= 0 || height <= 0) {
    width = 0;
    height = 0;
  }
  width_ = width;
  height_ = height;
  format_ = format;
  stride_ = StrideFor(width, format);
  pixels_.assign(stride_ * static_cast<std::size_t>(height), 0);
}

std::uint32_t Surface::GetPixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const std::uint8_t* row = Row(y);
  if (format_ == PixelFormat::kXrgb32) {
    std::uint32_t word;
    std::memcpy(&word, row + static_cast<std::size_t>(x) * 4, 4);
    return word & 0xFFFFFF;
  }
  return ReadPixel24(row + static_cast<std::size_t>(x) * 3);
}

void Surface::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t pixel) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::uint8_t* row = Row(y);
  if (format_ == PixelFormat::kXrgb32) {
    std::uint32_t word = pixel & 0xFFFFFF;
    std::memcpy(row + static_cast<std::size_t>(x) * 4, &word, 4);
  } else {
    WritePixel24(row + static_cast<std::size_t>(x) * 3, pixel);
  }
}

void Surface::Fill(const Rect& rect, std::uint32_t pixel) {
  Rect r = rect.Intersect(Bounds());
  if (r.IsEmpty()) return;
  for (std::int32_t y = r.top; y < r.bottom; ++y) {
    std::uint8_t* row = Row(y);
    if (format_ == PixelFormat::kXrgb32) {
      auto* words = reinterpret_cast<std::uint32_t*>(row);
      std::uint32_t word = pixel & 0xFFFFFF;
      for (std::int32_t x = r.left; x < r.right; ++x) words[x] = word;
    } else {
      for (std::int32_t x = r.left; x < r.right; ++x) WritePixel24(row + x * 3, pixel);
    }
  }
}

}  // namespace platform
