#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/ScreenMetrics.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "tests/support/RecordingWindowProcedure.h"
#include "ui/BlendBuffer.h"
#include "ui/ResourcePaths.h"

namespace testsupport {

// One test's world: a phone screen's metrics, its real artwork, a blend buffer and a recording
// headless window; restores the default metrics afterwards.
class ToolkitWorld {
 public:
  ToolkitWorld(std::int32_t screenWidth, std::int32_t screenHeight)
      : backend_([](const std::string&) {}),
        window(backend_, platform::Size{screenWidth, screenHeight}, u"Vornalo Mobile") {
    const core::ScreenMetrics metrics = core::ComputeScreenMetrics(screenWidth, screenHeight);
    core::isPortrait = metrics.isPortrait;
    core::scaleFactor = metrics.scaleFactor;
    ui::ConfigureResourcePaths(core::scaleFactor, std::string(VORNALO_RESOURCE_ROOT) + (core::scaleFactor == 2 ? "/vga" : "/qvga"));
    blend_ = ui::BlendBuffer::Allocate(core::scaleFactor);
    ui::blendBuffer = blend_.get();
    window.Create(procedure);
    window.RunUntilIdle();  // the first paint erases the client area; get it done
    procedure.messages.clear();
  }
  ~ToolkitWorld() {
    ui::blendBuffer = nullptr;
    core::isPortrait = 1;
    core::scaleFactor = 1;
  }

  // The messages the controls posted since the last call, with these ids.
  std::vector<platform::Message> Posted(std::initializer_list<std::uint32_t> ids) {
    window.RunUntilIdle();
    std::vector<platform::Message> out = procedure.Only(ids);
    procedure.messages.clear();
    return out;
  }

  // Fills the client area with a pattern no control draws, so that untouched pixels show.
  void FillPattern() {
    platform::Canvas dc = window.GetDC();
    const platform::Size size = dc.GetSize();
    for (std::int32_t y = 0; y < size.height; ++y) {
      for (std::int32_t x = 0; x < size.width; ++x) dc.SetPixel(x, y, Pattern(x, y));
    }
  }
  static platform::Colour Pattern(std::int32_t x, std::int32_t y) {
    return static_cast<platform::Colour>((x * 7 + y * 13) & 0xFF) << 8 | 0x010001;
  }
  // Whether any pixel inside the rectangle differs from the pattern.
  bool ChangedInside(const platform::Rect& inside) {
    platform::Canvas dc = window.GetDC();
    for (std::int32_t y = inside.top; y < inside.bottom; ++y) {
      for (std::int32_t x = inside.left; x < inside.right; ++x) {
        if (dc.GetPixel(x, y) != Pattern(x, y)) return true;
      }
    }
    return false;
  }
  // The first pixel outside `inside` differing from the pattern as "x,y", or "".
  std::string FirstChangeOutside(const platform::Rect& inside) {
    platform::Canvas dc = window.GetDC();
    const platform::Size size = dc.GetSize();
    for (std::int32_t y = 0; y < size.height; ++y) {
      for (std::int32_t x = 0; x < size.width; ++x) {
        if (!inside.Contains(x, y) && dc.GetPixel(x, y) != Pattern(x, y)) {
          return std::to_string(x) + "," + std::to_string(y);
        }
      }
    }
    return "";
  }

 private:
  platform::HeadlessBackend backend_;
  std::unique_ptr<ui::BlendBuffer> blend_;

 public:
  RecordingWindowProcedure procedure;
  platform::Window window;
};

}  // namespace testsupport
