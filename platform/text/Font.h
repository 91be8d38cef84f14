#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gfx/Geometry.h"

namespace platform {

// The ink of a rendered string: one coverage byte a pixel (0 none, 255 full), rows top-down.
struct TextCoverage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> alpha;
};

// A font of DejaVu Sans (weight below 600) or DejaVu Sans Bold, made from a cell height in
// pixels: Height() never exceeds the height asked for and is as close to it as the font's
// sizes allow. A nonzero width asks for that average character width; the glyphs are then
// scaled horizontally. Text is UTF-8; anything DejaVu covers is drawn. Use on one thread at a
// time (the UI thread).
class Font {
 public:
  static constexpr std::int32_t kBoldWeight = 600;
  static constexpr std::int32_t kMinHeight = 4;
  static constexpr std::int32_t kMaxHeight = 400;

  // Null when the font file cannot be opened or the height is outside kMinHeight..kMaxHeight.
  static std::unique_ptr<Font> Create(std::int32_t height, std::int32_t weight = 400,
                                      std::int32_t width = 0);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // The cell height: a line of text occupies this many pixels.
  std::int32_t Height() const;
  std::int32_t Ascent() const;
  bool IsBold() const;

  // Width and height of the string as Render draws it; an empty string is 0 wide.
  Size Measure(std::string_view utf8) const;
  // Renders the string; false (and empty coverage) for an empty string or a render failure.
  bool Render(std::string_view utf8, TextCoverage& out) const;

 private:
  struct Impl;
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The system font: regular weight, 13-pixel cells. Made on first use; null only when the font
// files are missing.
const Font* SystemFont();

}  // namespace platform
