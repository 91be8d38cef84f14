#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// Whole PNG files as 8-bit RGB or RGBA rows, top-down, packed: screenshots, artwork, tests.
// (The client's image loaders decode through PngDecoder, which follows the phone's colour rules.)

enum class PngLayout { kRgb, kRgba };

// Writes `pixels` (height rows of width * 3 or * 4 bytes) as an 8-bit PNG with no ancillary
// chunks: no bKGD, gAMA or time, so that equal pixels give equal bytes and no loader alters
// them. `smallest` selects the strongest compression. False, with a reason, on failure.
bool WritePng(const std::string& path, std::int32_t width, std::int32_t height, PngLayout layout,
              const std::uint8_t* pixels, bool smallest, std::string& error);

// A PNG file as it is stored: header facts and the pixels expanded to 8-bit RGBA.
struct PngImage {
  int width = 0;
  int height = 0;
  int colorType = -1;  // PNG_COLOR_TYPE_* of the file
  int bitDepth = 0;
  bool hasBackgroundChunk = false;
  bool hasGammaChunk = false;
  bool hasTransparencyChunk = false;
  std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, rows top-down

  std::uint8_t Alpha(int x, int y) const { return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3]; }
  const std::uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Reads a PNG file. False when it cannot be opened or decoded.
bool ReadPng(const std::string& path, PngImage* image);

// An image as 8-bit BGR rows, packed, top-down.
struct PngBgrImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> bgr;
};

// Reads an open PNG file with every transparent pixel composited over black. Sides of 0 or
// above `maxSide` are refused. False, with libpng's message (possibly empty), on failure.
bool ReadPngOverBlack(std::FILE* file, std::uint32_t maxSide, PngBgrImage* image, std::string& message);

}  // namespace platform
