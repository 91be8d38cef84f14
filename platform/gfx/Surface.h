#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/Geometry.h"

namespace platform {

// How a surface lays out its pixels.
enum class PixelFormat {
  // 3 bytes a pixel (blue, green, red), rows bottom-up, each row padded to a multiple of 4
  // bytes: the layout of a 24-bit device-independent bitmap.
  kBgr24BottomUp,
  // 4 bytes a pixel, read as a little-endian word 0x00RRGGBB, rows top-down, unpadded: the
  // screen's own format.
  kXrgb32,
};

// A block of pixels it owns. New surfaces are black. Move-only: pixels are never copied by
// accident.
class Surface {
 public:
  Surface() = default;
  Surface(std::int32_t width, std::int32_t height, PixelFormat format);
  Surface(Surface&&) noexcept = default;
  Surface& operator=(Surface&&) noexcept = default;
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  // Replaces the pixels by a black block of the new size and format.
  void Reset(std::int32_t width, std::int32_t height, PixelFormat format);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  Size GetSize() const { return Size{width_, height_}; }
  Rect Bounds() const { return Rect{0, 0, width_, height_}; }
  PixelFormat Format() const { return format_; }
  int BytesPerPixel() const { return format_ == PixelFormat::kXrgb32 ? 4 : 3; }
  // Bytes from one memory row to the next.
  std::size_t Stride() const { return stride_; }
  bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }

  // The first byte of the pixel memory (the bottom row for bottom-up surfaces).
  std::uint8_t* Bits() { return pixels_.data(); }
  const std::uint8_t* Bits() const { return pixels_.data(); }

  // The first byte of picture row y, counted from the top.
  std::uint8_t* Row(std::int32_t y) { return pixels_.data() + RowOffset(y); }
  const std::uint8_t* Row(std::int32_t y) const { return pixels_.data() + RowOffset(y); }

  // Pixel at (x, y) from the top-left as 0x00RRGGBB; 0 outside the surface.
  std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;
  // Sets the pixel at (x, y) to 0x00RRGGBB; nothing outside the surface.
  void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t pixel);
  // Fills the rectangle (clipped to the surface) with 0x00RRGGBB.
  void Fill(const Rect& rect, std::uint32_t pixel);

  static std::size_t StrideFor(std::int32_t width, PixelFormat format);

 private:
  std::size_t RowOffset(std::int32_t y) const {
    std::int32_t memoryRow = format_ == PixelFormat::kBgr24BottomUp ? height_ - 1 - y : y;
    return static_cast<std::size_t>(memoryRow) * stride_;
  }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  PixelFormat format_ = PixelFormat::kXrgb32;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
};

// Reads and writes 0x00RRGGBB pixel words at a byte address of either format.
inline std::uint32_t ReadPixel24(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16;
}
inline void WritePixel24(std::uint8_t* p, std::uint32_t pixel) {
  p[0] = static_cast<std::uint8_t>(pixel);
  p[1] = static_cast<std::uint8_t>(pixel >> 8);
  p[2] = static_cast<std::uint8_t>(pixel >> 16);
}

}  // namespace platform
