// STScreenBuffer::LoadPng: reads the file through the client's PNG decode into the pixel
// mapping.

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/png/PngDecoder.h"
#include "ui/STScreenBuffer.h"

namespace ui {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool STScreenBuffer::LoadPng(const char* path) {
  DropBitmap();
  DropImage();
  width_ = height_ = pitch_ = 0;
  loadError_ = 0;
  if (!path) {
    // The resource path did not fit its buffer: the file cannot be reached, as if missing.
    loadError_ = ENAMETOOLONG;
    return false;
  }

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) {
    loadError_ = errno;
    return false;
  }
  std::uint8_t signature[platform::PngDecoder::kSignatureBytes];
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
      !platform::PngDecoder::IsSignature(signature)) {
    return false;
  }

  platform::PngDecoder decoder;
  if (!decoder.Ok()) return false;
  platform::PngDecoder::Layout layout;
  if (!decoder.ReadHeader(file.get(), kMaxImageSide, &layout)) return false;
  if (layout.channels != 4 || layout.width == 0 || layout.height == 0 ||
      layout.rowBytes < static_cast<std::size_t>(layout.width) * 4) {
    return false;
  }

  PixelMapping mapping;
  if (!mapping.Create(layout.rowBytes * layout.height)) return false;
  std::vector<std::uint8_t*> rows;
  rows.reserve(layout.height);
  for (std::uint32_t i = 0; i < layout.height; ++i) rows.push_back(mapping.Data() + i * layout.rowBytes);
  if (!decoder.ReadRows(rows.data())) return false;

  pixelMapping_ = std::move(mapping);
  width_ = static_cast<std::int32_t>(layout.width);
  height_ = static_cast<std::int32_t>(layout.height);
  pitch_ = (width_ + 3) / 4 * 4;
  rowBytes_ = static_cast<std::uint32_t>(layout.rowBytes);
  decodedRows_ = layout.height;
  channels_ = layout.channels;
  if (layout.hasBackground) {
    background_ = platform::MakeColour(layout.background[0], layout.background[1], layout.background[2]);
  }
  return true;
}

}  // namespace ui
