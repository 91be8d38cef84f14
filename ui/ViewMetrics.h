#pragma once

#include <cstdint>

#include "core/ScreenMetrics.h"
#include "platform/gfx/Geometry.h"

namespace ui {

// The screen metrics every control lays itself out by, read at each use because a rotation
// changes them: the orientation index (1 portrait, 0 landscape or square) and the scale
// factor (1 or 2) of every QVGA pixel constant.
inline int Orientation() { return core::isPortrait ? 1 : 0; }
inline std::int32_t Scale() { return static_cast<std::int32_t>(core::scaleFactor); }

// A control's QVGA rectangles (landscape, portrait) at the current scale.
inline void ScaleRects(const platform::Rect (&qvga)[2], platform::Rect (&out)[2]) {
  const std::int32_t s = Scale();
  for (int o = 0; o < 2; ++o) {
    out[o] = platform::Rect{qvga[o].left * s, qvga[o].top * s, qvga[o].right * s, qvga[o].bottom * s};
  }
}

}  // namespace ui
