#pragma once

#include <algorithm>
#include <cstdint>

namespace platform {

// A colour as the application gives it: 0x00BBGGRR.
using Colour = std::uint32_t;

constexpr Colour MakeColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<Colour>(red) | static_cast<Colour>(green) << 8 |
         static_cast<Colour>(blue) << 16;
}

// A pixel word as surfaces hold it: 0x00RRGGBB (blue in the lowest byte, so the bytes in memory
// are blue, green, red). The conversion swaps red and blue, both ways.
constexpr std::uint32_t ColourToPixel(Colour colour) {
  return (colour & 0x0000FF) << 16 | (colour & 0x00FF00) | (colour & 0xFF0000) >> 16;
}
constexpr Colour PixelToColour(std::uint32_t pixel) { return ColourToPixel(pixel & 0xFFFFFF); }

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const Size& other) const {
    return width == other.width && height == other.height;
  }
  bool operator!=(const Size& other) const { return !(*this == other); }
};

// A rectangle that holds left and top and excludes right and bottom.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  static constexpr Rect FromSize(std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height) {
    return Rect{x, y, x + width, y + height};
  }
  constexpr std::int32_t Width() const { return right - left; }
  constexpr std::int32_t Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  constexpr bool Contains(std::int32_t x, std::int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  constexpr Rect Offset(std::int32_t dx, std::int32_t dy) const {
    return Rect{left + dx, top + dy, right + dx, bottom + dy};
  }
  Rect Intersect(const Rect& other) const {
    Rect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
           std::min(bottom, other.bottom)};
    if (r.IsEmpty()) return Rect{};
    return r;
  }
  bool operator==(const Rect& other) const {
    return left == other.left && top == other.top && right == other.right &&
           bottom == other.bottom;
  }
};

}  // namespace platform
