#pragma once

#include <functional>

#include "platform/sdl2/WindowHost.h"

namespace app {

// What the desktop window opens with: the emulated screen and the zoom (0: the largest that
// fits the display), and how many zoom steps of the default 240x320 screen one step of this
// zoom is, as the remembered "windowZoom" counts them.
struct DesktopLayout {
  platform::Size screen;
  int zoom = 0;
  int zoomUnit = 1;
};

// The layout for these window options, a remembered zoom (counted in default screens, 0 when
// none) and the display's largest zoom of the default screen (asked only when needed).
// --screen and --zoom keep what they ask (the zoom then as given or remembered). Otherwise a
// zoom of 2 or more, the display's or an even remembered one, shows the same layout natively
// at twice the screen size and half the zoom (the 480x640 VGA layout for the default screen).
DesktopLayout ChooseDesktopLayout(const platform::WindowOptions& given, int rememberedZoom,
                                  const std::function<int()>& displayZoom);

}  // namespace app
