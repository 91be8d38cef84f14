#include "app/DesktopLayout.h"

namespace app {

DesktopLayout ChooseDesktopLayout(const platform::WindowOptions& given, int rememberedZoom,
                                  const std::function<int()>&) {
  DesktopLayout layout;
  layout.screen = given.screen;
  layout.zoom = given.zoom != 0 ? given.zoom : rememberedZoom;
  return layout;
}

}  // namespace app
