// STScreenBuffer::LoadPng: the libpng decode. The library's error return (setjmp) lives in the
// two phase functions below, which hold no C++ objects of their own, so a jump back never
// skips a destructor.

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/DebugLog.h"
#include "ui/STScreenBuffer.h"

namespace ui {
namespace {

constexpr std::size_t kSignatureBytes = 8;
constexpr double kScreenGamma = 2.2;
constexpr double kBackgroundGamma = 1.0;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The read and info structures of one decode, destroyed together.
class PngReadStructs {
 public:
  PngReadStructs() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnError, &OnWarning);
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~PngReadStructs() {
    if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
  }
  PngReadStructs(const PngReadStructs&) = delete;
  PngReadStructs& operator=(const PngReadStructs&) = delete;
  bool Ok() const { return png_ && info_; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  static void OnError(png_structp png, png_const_charp message) {
    platform::DebugPrintf("LoadPng: %s", message);
    png_longjmp(png, 1);
  }
  static void OnWarning(png_structp, png_const_charp message) {
    platform::DebugPrintf("LoadPng warning: %s", message);
  }
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

struct DecodedLayout {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  std::size_t rowBytes = 0;
  int channels = 0;
  bool hasBackground = false;
  png_byte background[3] = {0, 0, 0};  // red, green, blue
};

// Reads the header, requests the transforms and reports the decoded layout. False on a
// libpng error.
bool ReadHeader(png_structp png, png_infop info, std::FILE* file, DecodedLayout* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, STScreenBuffer::kMaxImageSide, STScreenBuffer::kMaxImageSide);
  png_init_io(png, file);
  png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);

  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (bitDepth == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
  if (bitDepth < 8) png_set_expand(png);
  if (hasTrns) png_set_expand(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);

  png_color_16p background = nullptr;
  if (png_get_bKGD(png, info, &background) && background) {
    png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, kBackgroundGamma);
    out->hasBackground = true;
    out->background[0] = static_cast<png_byte>(background->red);
    out->background[1] = static_cast<png_byte>(background->green);
    out->background[2] = static_cast<png_byte>(background->blue);
  }
  double fileGamma = 0;
  if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, kScreenGamma, fileGamma);

  // Every decoded image has 4 bytes a pixel, because every draw reads 4: an image without
  // alpha, or whose alpha the bKGD composite removed, gets an opaque alpha byte.
  const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
  if (!hasAlpha || out->hasBackground) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);

  png_read_update_info(png, info);
  png_get_IHDR(png, info, &out->width, &out->height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  out->rowBytes = png_get_rowbytes(png, info);
  out->channels = png_get_channels(png, info);
  return true;
}

// Decodes every row into the row pointers. False on a libpng error.
bool ReadRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

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
  png_byte signature[kSignatureBytes];
  if (std::fread(signature, 1, kSignatureBytes, file.get()) != kSignatureBytes ||
      png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    return false;
  }

  PngReadStructs structs;
  if (!structs.Ok()) return false;
  DecodedLayout layout;
  if (!ReadHeader(structs.Png(), structs.Info(), file.get(), &layout)) return false;
  if (layout.channels != 4 || layout.width == 0 || layout.height == 0 ||
      layout.rowBytes < static_cast<std::size_t>(layout.width) * 4) {
    return false;
  }

  PixelMapping mapping;
  if (!mapping.Create(layout.rowBytes * layout.height)) return false;
  std::vector<png_bytep> rows;
  rows.reserve(layout.height);
  for (png_uint_32 i = 0; i < layout.height; ++i) rows.push_back(mapping.Data() + i * layout.rowBytes);
  if (!ReadRows(structs.Png(), rows.data())) return false;

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
