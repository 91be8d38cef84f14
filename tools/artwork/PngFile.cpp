#include "tools/artwork/PngFile.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace artwork {
namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Owns a libpng write structure and its info structure.
class PngWriteHandle {
 public:
  PngWriteHandle() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngWriteHandle() { png_destroy_write_struct(&png_, &info_); }
  PngWriteHandle(const PngWriteHandle&) = delete;
  PngWriteHandle& operator=(const PngWriteHandle&) = delete;

  bool Ok() const { return png_ != nullptr && info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// Owns a libpng read structure and its info structure.
class PngReadHandle {
 public:
  PngReadHandle() {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngReadHandle() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReadHandle(const PngReadHandle&) = delete;
  PngReadHandle& operator=(const PngReadHandle&) = delete;

  bool Ok() const { return png_ != nullptr && info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

uint8_t Unpremultiply(uint32_t channel, uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<uint8_t>((channel * 255 + alpha / 2) / alpha);
}

// Converts the surface to packed rows of RGB or RGBA bytes.
std::vector<uint8_t> PackRows(cairo_surface_t* surface, bool withAlpha) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int channels = withAlpha ? 4 : 3;
  std::vector<uint8_t> rows(static_cast<size_t>(width) * height * channels);
  uint8_t* out = rows.data();
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = line[x];
      const uint32_t a = withAlpha ? pixel >> 24 : 255;
      const uint32_t r = (pixel >> 16) & 0xFF;
      const uint32_t g = (pixel >> 8) & 0xFF;
      const uint32_t b = pixel & 0xFF;
      *out++ = withAlpha ? Unpremultiply(r, a) : static_cast<uint8_t>(r);
      *out++ = withAlpha ? Unpremultiply(g, a) : static_cast<uint8_t>(g);
      *out++ = withAlpha ? Unpremultiply(b, a) : static_cast<uint8_t>(b);
      if (withAlpha) *out++ = static_cast<uint8_t>(a);
    }
  }
  return rows;
}

// libpng reports errors by long jump; the jump target stays inside these two functions.
bool WriteRows(FILE* file, int width, int height, bool withAlpha, std::vector<uint8_t>& rows) {
  PngWriteHandle handle;
  if (!handle.Ok()) return false;
  std::vector<png_bytep> rowPointers(height);
  const size_t rowBytes = static_cast<size_t>(width) * (withAlpha ? 4 : 3);
  for (int y = 0; y < height; ++y) rowPointers[y] = rows.data() + rowBytes * y;
  if (setjmp(png_jmpbuf(handle.png()))) return false;
  png_init_io(handle.png(), file);
  png_set_compression_level(handle.png(), 9);
  png_set_IHDR(handle.png(), handle.info(), width, height, 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(handle.png(), handle.info());
  png_write_image(handle.png(), rowPointers.data());
  png_write_end(handle.png(), nullptr);
  return true;
}

bool ReadRows(FILE* file, PngImage* image) {
  PngReadHandle handle;
  if (!handle.Ok()) return false;
  std::vector<png_bytep> rowPointers;
  if (setjmp(png_jmpbuf(handle.png()))) return false;
  png_init_io(handle.png(), file);
  png_read_info(handle.png(), handle.info());
  image->width = static_cast<int>(png_get_image_width(handle.png(), handle.info()));
  image->height = static_cast<int>(png_get_image_height(handle.png(), handle.info()));
  image->colorType = png_get_color_type(handle.png(), handle.info());
  image->bitDepth = png_get_bit_depth(handle.png(), handle.info());
  image->hasBackgroundChunk = png_get_valid(handle.png(), handle.info(), PNG_INFO_bKGD) != 0;
  image->hasGammaChunk = png_get_valid(handle.png(), handle.info(), PNG_INFO_gAMA) != 0;
  image->hasTransparencyChunk = png_get_valid(handle.png(), handle.info(), PNG_INFO_tRNS) != 0;
  png_set_expand(handle.png());
  png_set_strip_16(handle.png());
  png_set_gray_to_rgb(handle.png());
  png_set_add_alpha(handle.png(), 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(handle.png(), handle.info());
  image->rgba.assign(static_cast<size_t>(image->width) * image->height * 4, 0);
  rowPointers.resize(image->height);
  for (int y = 0; y < image->height; ++y) {
    rowPointers[y] = image->rgba.data() + static_cast<size_t>(y) * image->width * 4;
  }
  png_read_image(handle.png(), rowPointers.data());
  png_read_end(handle.png(), nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::filesystem::path& path, cairo_surface_t* surface, std::string* error) {
  const bool withAlpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  std::vector<uint8_t> rows = PackRows(surface, withAlpha);
  UniqueFile file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    *error = "cannot create " + path.string();
    return false;
  }
  if (!WriteRows(file.get(), width, height, withAlpha, rows)) {
    *error = "cannot encode " + path.string();
    return false;
  }
  if (std::fflush(file.get()) != 0) {
    *error = "cannot write " + path.string();
    return false;
  }
  return true;
}

bool ReadPng(const std::filesystem::path& path, PngImage* image) {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  png_byte signature[8] = {};
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    return false;
  }
  std::rewind(file.get());
  return ReadRows(file.get(), image);
}

}  // namespace artwork
