#include "tests/support/TestPng.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace testsupport {
namespace {

int BitsPerPixel(const TestPngSpec& layout) {
  int channels = layout.colourType == 2 ? 3 : layout.colourType == 4 ? 2 : layout.colourType == 6 ? 4 : 1;
  return channels * layout.bitDepth;
}

// Everything libpng touches after setjmp is plain data owned by the caller.
bool WriteWithLibpng(png_structp png, png_infop info, std::FILE* file, const TestPngSpec* layout, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, layout->width, layout->height, layout->bitDepth, layout->colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[256];
  if (!layout->palette.empty()) {
    int n = static_cast<int>(layout->palette.size() / 3);
    for (int i = 0; i < n; ++i) {
      palette[i].red = layout->palette[i * 3];
      palette[i].green = layout->palette[i * 3 + 1];
      palette[i].blue = layout->palette[i * 3 + 2];
    }
    png_set_PLTE(png, info, palette, n);
  }
  png_color_16 trnsColour{};
  if (!layout->trnsAlpha.empty()) {
    png_set_tRNS(png, info, layout->trnsAlpha.data(), static_cast<int>(layout->trnsAlpha.size()), nullptr);
  } else if (layout->trnsGrey) {
    trnsColour.gray = *layout->trnsGrey;
    png_set_tRNS(png, info, nullptr, 0, &trnsColour);
  }
  png_color_16 background{};
  if (layout->bkgdGrey) {
    background.gray = *layout->bkgdGrey;
    png_set_bKGD(png, info, &background);
  }
  if (layout->gamma) png_set_gAMA(png, info, *layout->gamma);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WriteTestPng(const std::string& path, const TestPngSpec& layout) {
  const std::size_t rowBytes = (static_cast<std::size_t>(layout.width) * BitsPerPixel(layout) + 7) / 8;
  if (layout.samples.size() != rowBytes * layout.height) return false;
  std::vector<std::uint8_t> copy = layout.samples;
  std::vector<png_bytep> rows;
  for (std::uint32_t y = 0; y < layout.height; ++y) rows.push_back(copy.data() + y * rowBytes);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info && WriteWithLibpng(png, info, file, &layout, rows.data());
  if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

bool WriteSolidRgbaPng(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint8_t red,
                       std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
  TestPngSpec layout;
  layout.width = width;
  layout.height = height;
  for (std::uint32_t i = 0; i < width * height; ++i) {
    layout.samples.insert(layout.samples.end(), {red, green, blue, alpha});
  }
  return WriteTestPng(path, layout);
}

}  // namespace testsupport
