// vornalo-gallery: the toolkit's controls alone, over the real artwork, on the desktop or
// headless, at any phone screen size.
//
//   vornalo-gallery [--screen WxH] [--zoom N] [--headless] [--script FILE]
//                   [--screenshot-dir DIR] [--resources DIR] [--scene list|tabs|item|themes|search]

#include <cstdio>
#include <string>
#include <vector>

#include "core/ScreenMetrics.h"
#include "platform/sdl2/WindowHost.h"
#include "tools/gallery/Gallery.h"
#include "ui/BlendBuffer.h"
#include "ui/ResourcePaths.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  platform::WindowOptions options;
  std::string error;
  if (!platform::ParseWindowOptions(args, options, error)) {
    std::fprintf(stderr, "vornalo-gallery: %s\n", error.c_str());
    return 2;
  }
  std::string resources;
  gallery::Gallery::Scene scene = gallery::Gallery::Scene::kList;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--resources" && i + 1 < args.size()) {
      resources = args[++i];
    } else if (args[i] == "--scene" && i + 1 < args.size() && gallery::Gallery::ParseScene(args[i + 1], scene)) {
      ++i;
    } else {
      std::fprintf(stderr,
                   "usage: vornalo-gallery [--screen WxH] [--zoom N] [--headless] [--script FILE] "
                   "[--screenshot-dir DIR] [--resources DIR] [--scene list|tabs|item|themes|search]\n");
      return 2;
    }
  }
  core::MeasureScreen(options.screen.width, options.screen.height);
  if (resources.empty()) resources = std::string(VORNALO_RESOURCE_ROOT) + (core::scaleFactor == 2 ? "/vga" : "/qvga");
  ui::ConfigureResourcePaths(core::scaleFactor, resources);
  auto blend = ui::BlendBuffer::Allocate(core::scaleFactor);
  if (!blend) {
    std::fprintf(stderr, "vornalo-gallery: no memory for the blend buffer\n");
    return 1;
  }
  ui::blendBuffer = blend.get();
  auto host = platform::WindowHost::Open(options, u"Toolkit Gallery", error);
  if (!host) {
    std::fprintf(stderr, "vornalo-gallery: %s\n", error.c_str());
    return 1;
  }
  gallery::Gallery procedure(scene);
  host->GetWindow().Create(procedure);
  const int code = host->RunMessageLoop();
  ui::blendBuffer = nullptr;
  return code;
}
