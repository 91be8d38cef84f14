#include "app/DesktopLayout.h"

namespace app {
namespace {

// The doubled layout shows the default screen's pictures at twice their size, natively.
constexpr int kDoubled = 2;

}  // namespace

DesktopLayout ChooseDesktopLayout(const platform::WindowOptions& given, int rememberedZoom,
                                  const std::function<int()>& displayZoom) {
  DesktopLayout layout;
  layout.screen = given.screen;
  layout.zoom = given.zoom;
  // What the command line asks is kept.
  if (given.screenGiven || given.zoom != 0) {
    if (layout.zoom == 0) layout.zoom = rememberedZoom;
    return layout;
  }
  const bool automatic = rememberedZoom == 0;
  const int zoom = automatic ? displayZoom() : rememberedZoom;
  // An odd zoom the user chose cannot be shown by the doubled layout: it stays as it was.
  if (zoom >= kDoubled && (automatic || zoom % kDoubled == 0)) {
    layout.screen = platform::Size{given.screen.width * kDoubled, given.screen.height * kDoubled};
    layout.zoom = zoom / kDoubled;
    layout.zoomUnit = kDoubled;
  } else {
    layout.zoom = zoom;
  }
  return layout;
}

}  // namespace app
