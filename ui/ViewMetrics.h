#pragma once

#include <cstdint>

#include "core/ScreenMetrics.h"

namespace ui {

// The screen metrics every control lays itself out by, read at each use because a rotation
// changes them: the orientation index (1 portrait, 0 landscape or square) and the scale
// factor (1 or 2) of every QVGA pixel constant.
inline int Orientation() { return core::isPortrait ? 1 : 0; }
inline std::int32_t Scale() { return static_cast<std::int32_t>(core::scaleFactor); }

}  // namespace ui
