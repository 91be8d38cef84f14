#include "ui/STScreenBuffer.h"

#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"
#include "ui/BlendBuffer.h"
#include "ui/BlendRow.h"

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
  // A name too long to open is reported like a missing file: the installation cannot reach it.
  return openError == ENOENT || openError == ENAMETOOLONG ? 1001 : 1002;
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
  // A new surface replaces everything of the previous one, a decoded image too: its pixels
  // have the old size and must never be read with the new one.
  DropBitmap();
  DropImage();
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
  std::uint32_t pixel;
  std::memcpy(&pixel, pixelMapping_.Data() + static_cast<std::size_t>(y) * rowBytes_ + static_cast<std::size_t>(x) * 4, 4);
  return pixel;
}

void STScreenBuffer::DrawAlpha(platform::Canvas& target, std::int32_t x, std::int32_t y) {
  if (!pixelMapping_.IsOpen() || width_ < 1 || height_ < 1 || !target.IsValid()) return;
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  if (!blendBuffer || pixels > blendBuffer->PixelCount()) {
    platform::DebugPrintf("STScreenBuffer: %dx%d image does not fit the blend buffer", width_, height_);
    return;
  }
  const std::uint8_t* pixels8 = pixelMapping_.Data();
  std::uint32_t* scratch = blendBuffer->Data();
  auto sourceRow = [&](std::int32_t r) {
    return reinterpret_cast<const std::uint32_t*>(pixels8 + static_cast<std::size_t>(r) * rowBytes_);
  };

  platform::Surface& surface = *target.GetSurface();
  if (surface.Format() == platform::PixelFormat::kXrgb32) {
    // A 32-bit target's own pixels serve as the snapshot: each visible row is blended in
    // place (BlendRow reads each group of pixels before it writes them), with a zero top byte
    // as every pixel of the surface has. Rows and columns
    // outside the target are never seen, so they are not composed.
    const platform::Rect visible = platform::Rect::FromSize(x, y, width_, height_).Intersect(target.Bounds());
    const platform::Rect& area = target.SurfaceArea();
    const std::size_t n = static_cast<std::size_t>(visible.Width());
    for (std::int32_t ty = visible.top; ty < visible.bottom; ++ty) {
      const std::int32_t r = ty - y, c = visible.left - x;
      auto* dst = reinterpret_cast<std::uint32_t*>(surface.Row(area.top + ty)) + area.left + visible.left;
      BlendRow(dst, sourceRow(r) + c, dst, n, BlendTopByte::kZero);
    }
    return;
  }

  // Other targets: a 24-bit snapshot of exactly the rectangle the image covers, blended
  // top-down into the scratch buffer, kept as a 32-bit bitmap and copied onto the target.
  STScreenBuffer snapshot;
  snapshot.CaptureFrom(target, x, y, x + width_, y + height_);
  const platform::Surface* under = snapshot.Bitmap();
  if (!under) return;
  for (std::int32_t r = 0; r < height_; ++r) {
    const std::uint8_t* dstRow = under->Row(r);
    std::uint32_t* out = scratch + static_cast<std::size_t>(r) * width_;
    for (std::int32_t c = 0; c < width_; ++c) out[c] = platform::ReadPixel24(dstRow + static_cast<std::size_t>(c) * 3);
    BlendRow(out, sourceRow(r), out, static_cast<std::size_t>(width_));
  }
  ReleaseDC();
  if (!bitmap_ || bitmap_->Format() != platform::PixelFormat::kXrgb32 || bitmap_->Width() != width_ ||
      bitmap_->Height() != height_) {
    bitmap_ = std::make_unique<platform::Surface>(width_, height_, platform::PixelFormat::kXrgb32);
  }
  // The bitmap is a 32-bit surface: its pixels keep a zero top byte, the blend buffer the alpha.
  for (std::int32_t r = 0; r < height_; ++r) {
    const std::uint32_t* in = scratch + static_cast<std::size_t>(r) * width_;
    auto* row = reinterpret_cast<std::uint32_t*>(bitmap_->Row(r));
    for (std::int32_t c = 0; c < width_; ++c) row[c] = in[c] & 0x00FFFFFFu;
  }
  BlitTo(target, x, y);
}

}  // namespace ui
