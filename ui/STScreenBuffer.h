#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Surface.h"
#include "ui/PixelMapping.h"

namespace ui {

// The user interface's one bitmap type, in three roles:
// - an off-screen 24-bit bottom-up surface (Create, GetDC, BlitTo);
// - a snapshot of a rectangle of a canvas (CaptureFrom);
// - a decoded PNG with 8-bit alpha (LoadPng), kept in an anonymous memory mapping that is
//   kept outside the heap for the image's life, and blended over the target at every DrawAlpha.
// UI thread only.
class STScreenBuffer {
 public:
  // Decoded images are limited to this many pixels a side.
  static constexpr std::uint32_t kMaxImageSide = 8192;

  STScreenBuffer();
  virtual ~STScreenBuffer();
  STScreenBuffer(const STScreenBuffer&) = delete;
  STScreenBuffer& operator=(const STScreenBuffer&) = delete;

  // Replaces any previous bitmap or decoded image by a black 24-bit surface of width x height; pitch is the
  // width rounded up to a multiple of 4 and the surface is pitch pixels wide. Returns 1. A
  // width or height below 1 writes the debug check message and leaves no surface.
  int Create(std::int32_t width, std::int32_t height);
  // A canvas over the bitmap, made on the first call; null without a bitmap.
  platform::Canvas* GetDC();
  void ReleaseDC();
  // Create (right − left) x (bottom − top), then copy that rectangle of the source.
  bool CaptureFrom(platform::Canvas& source, std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom);
  // Copies width x height pixels of the bitmap to (x, y) of the target; false without a
  // bitmap.
  bool BlitTo(platform::Canvas& target, std::int32_t x, std::int32_t y);
  // Decodes a PNG file (UTF-8 path) into 4-byte blue-green-red-alpha pixels; false, leaving
  // no image, on any failure. LoadError() then tells a failed open (its errno; ENAMETOOLONG
  // for a null path, a resource path that did not fit) from the rest.
  bool LoadPng(const char* path);
  // Composes the decoded image over the target's current pixels at (x, y) through the blend
  // buffer and copies the result there; the composition stays in the blend buffer until the
  // next blended draw (and, for targets that are not 32-bit, in the bitmap). Nothing happens
  // without a decoded image, without a blend buffer, or when the image has more pixels than
  // the blend buffer.
  void DrawAlpha(platform::Canvas& target, std::int32_t x, std::int32_t y);
  // One pixel of the blend: alpha 0 keeps dst; otherwise each channel becomes
  // (src × a + dst × (255 − a)) >> 8 and the top byte a.
  static std::uint32_t BlendPixel(std::uint32_t dst, std::uint32_t src) {
    const std::uint32_t a = src >> 24;
    if (a == 0) return dst;
    const std::uint32_t na = 255 - a;
    const std::uint32_t redBlue = ((src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * na) >> 8 & 0x00FF00FFu;
    const std::uint32_t green = ((src & 0x0000FF00u) * a + (dst & 0x0000FF00u) * na) >> 8 & 0x0000FF00u;
    return a << 24 | redBlue | green;
  }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t Pitch() const { return pitch_; }
  // The surface's pixel memory (24-bit surfaces: the bottom row first); null without one.
  std::uint8_t* Bits();
  platform::Surface* Bitmap() { return bitmap_.get(); }
  bool HasImage() const { return pixelMapping_.IsOpen(); }
  std::uint32_t RowBytes() const { return rowBytes_; }
  std::uint32_t DecodedRows() const { return decodedRows_; }
  // Channels of the decoded rows as libpng reported them (4 for every loaded image).
  int Channels() const { return channels_; }
  // The file's bKGD colour (0x00BBGGRR) when it had one.
  std::optional<platform::Colour> BackgroundColour() const { return background_; }
  // The errno of the open that made the last LoadPng fail; 0 after any other outcome.
  int LoadError() const { return loadError_; }
  // A copy of the decoded pixel at (x, y) as 0xAARRGGBB (tests and tools); 0 outside.
  std::uint32_t DecodedPixel(std::int32_t x, std::int32_t y) const;

 private:
  void DropBitmap();
  void DropImage();

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t pitch_ = 0;
  std::unique_ptr<platform::Surface> bitmap_;
  std::optional<platform::Canvas> memoryDC_;
  std::uint32_t rowBytes_ = 0;
  std::uint32_t decodedRows_ = 0;
  int channels_ = 0;
  std::optional<platform::Colour> background_;
  int loadError_ = 0;
  PixelMapping pixelMapping_;
};

// The result of a view's create operation after an image load: 1 on success, 1001 when the
// file does not exist (ENOENT) or its path is too long to reach it (ENAMETOOLONG), 1002 for
// any other failure.
int ImageLoadResult(bool loaded, int openError);

}  // namespace ui
