#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// Blends n source pixels (0xAARRGGBB) over n background pixels (0x00RRGGBB; the top byte is
// ignored) into out, each exactly as STScreenBuffer::BlendPixel. out may be dst.
void BlendRow(const std::uint32_t* dst, const std::uint32_t* src, std::uint32_t* out, std::size_t n);

}  // namespace ui
