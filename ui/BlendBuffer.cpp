#include "ui/BlendBuffer.h"

#include <new>

namespace ui {

BlendBuffer* blendBuffer = nullptr;

std::unique_ptr<BlendBuffer> BlendBuffer::Allocate(std::uint32_t scaleFactor) {
  const std::size_t count = static_cast<std::size_t>(scaleFactor) * scaleFactor * kQvgaPixels;
  if (count == 0) return nullptr;
  std::unique_ptr<std::uint32_t[]> pixels(new (std::nothrow) std::uint32_t[count]);
  if (!pixels) return nullptr;
  return std::unique_ptr<BlendBuffer>(new BlendBuffer(std::move(pixels), count));
}

}  // namespace ui
