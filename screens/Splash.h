#pragma once

#include "platform/window/Window.h"

namespace screens {

// The splash picture of the current orientation with the version ("V1.4") on its lower left,
// drawn straight onto the screen, below the title bar, before the main window exists. It
// stays until the window's first paint. A picture that cannot be loaded draws nothing.
void DrawSplash(platform::Window& window);

}  // namespace screens
