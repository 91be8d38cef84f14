#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ui {

// The scratch block every blended draw writes into: one full screen of 32-bit pixels at the
// scale factor, scaleFactor² × 320 × 240 pixels (scaleFactor² × 307200 bytes).
class BlendBuffer {
 public:
  static constexpr std::size_t kQvgaPixels = 320 * 240;

  // Null when the memory cannot be had.
  static std::unique_ptr<BlendBuffer> Allocate(std::uint32_t scaleFactor);

  std::uint32_t* Data() { return pixels_.get(); }
  std::size_t PixelCount() const { return pixelCount_; }
  std::size_t ByteSize() const { return pixelCount_ * 4; }

 private:
  BlendBuffer(std::unique_ptr<std::uint32_t[]> pixels, std::size_t count)
      : pixels_(std::move(pixels)), pixelCount_(count) {}
  std::unique_ptr<std::uint32_t[]> pixels_;
  std::size_t pixelCount_;
};

// The process's blend buffer, installed by start-up before any blended draw and cleared
// before it is freed. UI thread only: two blended draws never run at once.
extern BlendBuffer* blendBuffer;

}  // namespace ui
