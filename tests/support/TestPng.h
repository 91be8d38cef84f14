#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A PNG to write for a test: raw samples in PNG order (rows top-down, packed as libpng
// expects for the colour type and bit depth), optional chunks.
struct TestPngSpec {
  std::uint32_t width = 1;
  std::uint32_t height = 1;
  int bitDepth = 8;
  int colourType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
  std::vector<std::uint8_t> samples;
  std::vector<std::uint8_t> palette;      // red, green, blue triples (colour type 3)
  std::vector<std::uint8_t> trnsAlpha;    // palette alphas (colour type 3)
  std::optional<std::uint16_t> trnsGrey;  // the transparent grey (colour type 0)
  std::optional<std::uint16_t> bkgdGrey;  // bKGD for a grey image
  std::optional<double> gamma;            // gAMA
};

// Writes the PNG with libpng; false on failure.
bool WriteTestPng(const std::string& path, const TestPngSpec& layout);

// An 8-bit RGBA image of one colour (red, green, blue, alpha).
bool WriteSolidRgbaPng(const std::string& path, std::uint32_t width, std::uint32_t height,
                       std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);

}  // namespace testsupport
