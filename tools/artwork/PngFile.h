#pragma once

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace artwork {

// Writes a Cairo image surface as a PNG file. An ARGB32 surface becomes an 8-bit RGBA PNG
// (colours un-premultiplied), an RGB24 surface an 8-bit RGB PNG without any transparency.
// No bKGD, gAMA or time chunk is written: the client's loader would composite a bKGD colour
// into the pixels and drop the alpha channel, and a time stamp would make two runs differ.
// Returns false (with a reason in *error) when the file cannot be written.
bool WritePng(const std::filesystem::path& path, cairo_surface_t* surface, std::string* error);

// A PNG file as it is stored: header facts and the pixels expanded to 8-bit RGBA.
struct PngImage {
  int width = 0;
  int height = 0;
  int colorType = -1;  // PNG_COLOR_TYPE_* of the file
  int bitDepth = 0;
  bool hasBackgroundChunk = false;
  bool hasGammaChunk = false;
  bool hasTransparencyChunk = false;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes, rows top-down

  uint8_t Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
  const uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Reads a PNG file with libpng. Returns false when it cannot be opened or decoded.
bool ReadPng(const std::filesystem::path& path, PngImage* image);

}  // namespace artwork
