#include "ui/STScreenBuffer.h"

#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"
#include "ui/BlendBuffer.h"

namespace ui {
namespace {

constexpr const char* kDebugCheckFormat = "%s: DEBUGCHK failed in file %s at line %d \r\n";
constexpr const char* kDebugCheckModule = "Unknown";
constexpr const char* kDebugCheckFile = ".\\STScreenBuffer";
constexpr int kWidthCheckLine = 107;
constexpr int kHeightCheckLine = 108;

}  // namespace

int ImageLoadResult(bool loaded, int openError) {
  if (loaded) return 1;
  return openError == ENOENT ? 1001 : 1002;
}

STScreenBuffer::STScreenBuffer() = default;

STScreenBuffer::~STScreenBuffer() {
  ReleaseDC();
  DropImage();
}

void STScreenBuffer::DropBitmap() {
  ReleaseDC();
  bitmap_.reset();
}

void STScreenBuffer::DropImage() {
  pixelMapping_.Close();
  rowBytes_ = 0;
  decodedRows_ = 0;
  channels_ = 0;
  background_.reset();
}

int STScreenBuffer::Create(std::int32_t width, std::int32_t height) {
  bool ok = true;
  if (width < 1) {
    platform::DebugPrintf(kDebugCheckFormat, kDebugCheckModule, kDebugCheckFile, kWidthCheckLine);
    ok = false;
  }
  if (height < 1) {
    platform::DebugPrintf(kDebugCheckFormat, kDebugCheckModule, kDebugCheckFile, kHeightCheckLine);
    ok = false;
  }
  DropBitmap();
  if (!ok) {
    // No surface: later draws and copies find no bitmap and do nothing.
    width_ = height_ = pitch_ = 0;
    return 1;
  }
  pitch_ = (width + 3) / 4 * 4;
  width_ = width;
  height_ = height;
  bitmap_ = std::make_unique<platform::Surface>(pitch_, height, platform::PixelFormat::kBgr24BottomUp);
  return 1;
}

platform::Canvas* STScreenBuffer::GetDC() {
  if (!bitmap_) return nullptr;
  if (!memoryDC_) memoryDC_.emplace(*bitmap_);
  return &*memoryDC_;
}

void STScreenBuffer::ReleaseDC() { memoryDC_.reset(); }

std::uint8_t* STScreenBuffer::Bits() { return bitmap_ ? bitmap_->Bits() : nullptr; }

bool STScreenBuffer::CaptureFrom(platform::Canvas& source, std::int32_t left, std::int32_t top,
                                 std::int32_t right, std::int32_t bottom) {
  Create(right - left, bottom - top);
  platform::Canvas* dc = GetDC();
  if (!dc) return false;
  return dc->BitBlt(0, 0, right - left, bottom - top, source, left, top);
}

bool STScreenBuffer::BlitTo(platform::Canvas& target, std::int32_t x, std::int32_t y) {
  ReleaseDC();
  if (!bitmap_) return false;
  platform::Canvas dc(*bitmap_);
  return target.BitBlt(x, y, width_, height_, dc, 0, 0);
}

std::uint32_t STScreenBuffer::DecodedPixel(std::int32_t x, std::int32_t y) const {
  if (!pixelMapping_.IsOpen() || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  MappedView view = pixelMapping_.Map();
  if (!view) return 0;
  std::uint32_t pixel;
  std::memcpy(&pixel, view.Data() + static_cast<std::size_t>(y) * rowBytes_ + static_cast<std::size_t>(x) * 4, 4);
  return pixel;
}

void STScreenBuffer::DrawAlpha(platform::Canvas& target, std::int32_t x, std::int32_t y) {
  if (!pixelMapping_.IsOpen() || width_ < 1 || height_ < 1) return;
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  if (!blendBuffer || pixels > blendBuffer->PixelCount()) {
    platform::DebugPrintf("STScreenBuffer: %dx%d image does not fit the blend buffer", width_, height_);
    return;
  }
  // 1. A 24-bit snapshot of exactly the rectangle the image covers.
  STScreenBuffer snapshot;
  snapshot.CaptureFrom(target, x, y, x + width_, y + height_);
  const platform::Surface* under = snapshot.Bitmap();
  // 2. The decoded pixels, mapped for this draw only.
  MappedView pixelView = pixelMapping_.Map();
  if (!under || !pixelView) return;
  // 3. Blend row by row, top-down, into the scratch buffer.
  std::uint32_t* scratch = blendBuffer->Data();
  for (std::int32_t r = 0; r < height_; ++r) {
    const std::uint8_t* dstRow = under->Row(r);
    const auto* srcRow = reinterpret_cast<const std::uint32_t*>(pixelView.Data() + static_cast<std::size_t>(r) * rowBytes_);
    std::uint32_t* out = scratch + static_cast<std::size_t>(r) * width_;
    for (std::int32_t c = 0; c < width_; ++c) {
      const std::uint8_t* d = dstRow + static_cast<std::size_t>(c) * 3;
      const std::uint32_t dst = static_cast<std::uint32_t>(d[2]) << 16 | static_cast<std::uint32_t>(d[1]) << 8 | d[0];
      out[c] = BlendPixel(dst, srcRow[c]);
    }
  }
  // 4. The composed 32-bit bitmap, kept until the next draw (same size: the memory is reused).
  ReleaseDC();
  if (!bitmap_ || bitmap_->Format() != platform::PixelFormat::kXrgb32 || bitmap_->Width() != width_ ||
      bitmap_->Height() != height_) {
    bitmap_ = std::make_unique<platform::Surface>(width_, height_, platform::PixelFormat::kXrgb32);
  }
  std::memcpy(bitmap_->Bits(), scratch, pixels * 4);
  // 5. Onto the target; 6. the view and the snapshot go with this scope.
  BlitTo(target, x, y);
}

}  // namespace ui
