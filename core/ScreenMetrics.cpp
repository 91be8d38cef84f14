#include "core/ScreenMetrics.h"

#include <algorithm>

namespace core {

std::uint32_t isPortrait = 1;
std::uint32_t scaleFactor = 1;
std::int32_t resolutionCode = kUnknownResolutionCode;

namespace {

// A screen class: the two sides in either order, and its code.
struct ResolutionRule {
  std::int32_t shortSide;
  std::int32_t longSide;
  std::int32_t code;
};

// In order; the first that matches wins.
constexpr ResolutionRule kResolutionRules[] = {
    {480, 640, 3}, {480, 800, 4}, {240, 320, 1}, {240, 400, 2},
    {640, 640, 6}, {480, 480, 6}, {320, 320, 5},
};

}  // namespace

ScreenMetrics ComputeScreenMetrics(std::int32_t width, std::int32_t height) {
  ScreenMetrics metrics;
  const std::int32_t shortSide = std::min(width, height);
  const std::int32_t longSide = std::max(width, height);
  metrics.resolutionCode = kUnknownResolutionCode;
  for (const ResolutionRule& rule : kResolutionRules) {
    if (rule.shortSide == shortSide && rule.longSide == longSide) {
      metrics.resolutionCode = rule.code;
      break;
    }
  }
  const bool vgaSide = width == 640 || width == 800 || height == 640 || height == 800;
  metrics.scaleFactor = vgaSide ? 2 : 1;
  metrics.isPortrait = height > width ? 1 : 0;
  return metrics;
}

void MeasureScreen(std::int32_t width, std::int32_t height) {
  const ScreenMetrics metrics = ComputeScreenMetrics(width, height);
  isPortrait = metrics.isPortrait;
  scaleFactor = metrics.scaleFactor;
  resolutionCode = metrics.resolutionCode;
}

}  // namespace core
