#pragma once

#include <functional>

#include "platform/gfx/Geometry.h"

namespace ui {

// Where a control reads the current colour-theme colour (0x00BBGGRR) when it draws: the
// owner passes a function over its settings, so a theme change shows at the next draw.
using ThemeColourSource = std::function<platform::Colour()>;

}  // namespace ui
