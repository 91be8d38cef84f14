#include "platform/png/PngFile.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

// libpng reports errors by long jump. Each jump target sits in a phase function that holds no
// C++ object of its own, so a jump never skips a destructor; the objects live in the callers.

namespace platform {
namespace {

constexpr std::size_t kSignatureBytes = 8;
constexpr int kSmallestCompression = 9;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Owns a libpng write structure and its info structure.
class PngWriteStructs {
 public:
  PngWriteStructs() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~PngWriteStructs() { png_destroy_write_struct(&png_, &info_); }
  PngWriteStructs(const PngWriteStructs&) = delete;
  PngWriteStructs& operator=(const PngWriteStructs&) = delete;

  bool Ok() const { return png_ && info_; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Owns a libpng read structure and its info structure.
class PngReadStructs {
 public:
  PngReadStructs() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png_) info_ = png_create_info_struct(png_);
  }
  ~PngReadStructs() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReadStructs(const PngReadStructs&) = delete;
  PngReadStructs& operator=(const PngReadStructs&) = delete;

  bool Ok() const { return png_ && info_; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

bool EncodeRows(png_structp png, png_infop info, std::FILE* file, png_uint_32 width, png_uint_32 height,
                int colorType, int compression, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  if (compression >= 0) png_set_compression_level(png, compression);
  png_set_IHDR(png, info, width, height, 8, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

// Reads the header into `image` and sets the expansion to 8-bit RGBA.
bool DecodeHeader(png_structp png, png_infop info, std::FILE* file, PngImage* image) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_read_info(png, info);
  image->width = static_cast<int>(png_get_image_width(png, info));
  image->height = static_cast<int>(png_get_image_height(png, info));
  image->colorType = png_get_color_type(png, info);
  image->bitDepth = png_get_bit_depth(png, info);
  image->hasBackgroundChunk = png_get_valid(png, info, PNG_INFO_bKGD) != 0;
  image->hasGammaChunk = png_get_valid(png, info, PNG_INFO_gAMA) != 0;
  image->hasTransparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  return true;
}

bool DecodeRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, std::int32_t width, std::int32_t height, PngLayout layout,
              const std::uint8_t* pixels, bool smallest, std::string& error) {
  const auto fail = [&error](std::string reason) {
    error = std::move(reason);
    return false;
  };
  if (width <= 0 || height <= 0 || !pixels) return fail("empty image");
  const std::size_t rowBytes = static_cast<std::size_t>(width) * (layout == PngLayout::kRgba ? 4 : 3);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = const_cast<png_bytep>(pixels + rowBytes * y);
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) return fail("cannot create " + path);
  PngWriteStructs structs;
  if (!structs.Ok()) return fail("cannot encode " + path);
  if (!EncodeRows(structs.Png(), structs.Info(), file.get(), static_cast<png_uint_32>(width),
                  static_cast<png_uint_32>(height),
                  layout == PngLayout::kRgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                  smallest ? kSmallestCompression : -1, rows.data())) {
    return fail("cannot encode " + path);
  }
  if (std::fflush(file.get()) != 0) return fail("cannot write " + path);
  return true;
}

bool ReadPng(const std::string& path, PngImage* image) {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  png_byte signature[kSignatureBytes] = {};
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    return false;
  }
  std::rewind(file.get());
  PngReadStructs structs;
  if (!structs.Ok() || !DecodeHeader(structs.Png(), structs.Info(), file.get(), image)) return false;
  image->rgba.assign(static_cast<std::size_t>(image->width) * image->height * 4, 0);
  std::vector<png_bytep> rows(static_cast<std::size_t>(image->height));
  for (std::size_t y = 0; y < rows.size(); ++y) {
    rows[y] = image->rgba.data() + y * static_cast<std::size_t>(image->width) * 4;
  }
  return DecodeRows(structs.Png(), rows.data());
}

bool ReadPngOverBlack(std::FILE* file, std::uint32_t maxSide, PngBgrImage* out, std::string& message) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  bool ok = false;
  if (png_image_begin_read_from_stdio(&image, file) && image.width > 0 && image.height > 0 &&
      image.width <= maxSide && image.height <= maxSide) {
    image.format = PNG_FORMAT_BGR;
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    out->bgr.assign(stride * image.height, 0);
    png_color black{0, 0, 0};
    ok = png_image_finish_read(&image, &black, out->bgr.data(), static_cast<png_int_32>(stride), nullptr) != 0;
    out->width = image.width;
    out->height = image.height;
  }
  if (!ok) message = image.message;
  png_image_free(&image);
  return ok;
}

}  // namespace platform
