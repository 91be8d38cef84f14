#pragma once

#include <cstdint>

namespace core {

// The shared screen metrics, set by MeasureScreen on the user-interface thread: at start-up
// before the window exists, and again at the first paint after the screen rotated.

// 1 when the screen is taller than wide, else 0. Indexes every landscape/portrait pair
// (index 0 = landscape).
extern std::uint32_t isPortrait;
// 2 when a side of the screen is 640 or 800 pixels, else 1: the multiplier of every QVGA
// pixel constant.
extern std::uint32_t scaleFactor;
// The class of the screen sent as "r" by the version check: 1, 2, 3, 4, 5, 6 or 99.
extern std::int32_t resolutionCode;

inline constexpr std::int32_t kUnknownResolutionCode = 99;

struct ScreenMetrics {
  std::uint32_t isPortrait = 1;
  std::uint32_t scaleFactor = 1;
  std::int32_t resolutionCode = kUnknownResolutionCode;
};

// The metrics of a screen of width × height pixels.
ScreenMetrics ComputeScreenMetrics(std::int32_t width, std::int32_t height);

// Sets the three shared values from the screen's size in pixels (the emulated phone screen).
void MeasureScreen(std::int32_t width, std::int32_t height);

}  // namespace core
