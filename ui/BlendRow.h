#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// What the top byte of each blended pixel holds.
enum class BlendTopByte {
  kSourceAlpha,  // the source pixel's alpha, as STScreenBuffer::BlendPixel
  kZero,         // 0, as every pixel of a 32-bit surface (0x00RRGGBB)
};

// Blends n source pixels (0xAARRGGBB) over n background pixels (0x00RRGGBB; the top byte is
// ignored) into out, each colour exactly as STScreenBuffer::BlendPixel. out may be dst.
void BlendRow(const std::uint32_t* dst, const std::uint32_t* src, std::uint32_t* out, std::size_t n,
              BlendTopByte top = BlendTopByte::kSourceAlpha);

}  // namespace ui
