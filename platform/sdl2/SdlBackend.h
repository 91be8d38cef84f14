#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/window/Backend.h"
#include "platform/window/InputEvent.h"

namespace platform {

// The desktop backend: one SDL2 window showing the emulated screen scaled by `zoom` (the
// coordinates the application sees never change), the mouse as the stylus, the keyboard as
// keys and typed text, SDL message boxes and the system wait cursor.
class SdlBackend : public Backend {
 public:
  // Null, with the reason in error, when no display can be opened. Zoom 0 picks the largest
  // that fits the display's usable height; Ctrl+Plus and Ctrl+Minus change it while running
  // and tell zoomChanged.
  static std::unique_ptr<SdlBackend> Create(Size screen, int zoom, const std::string& title,
                                            std::string& error,
                                            std::function<void(int)> zoomChanged = nullptr);
  ~SdlBackend() override;
  // The zoom Create picks for a screen of this height; 1 without a display.
  static int DisplayZoom(std::int32_t screenHeight);

  void PumpEvents(Window& window, int timeoutMs) override;
  void Wake() override;
  void Present(const Surface& screen) override;
  void ScreenResized(Size screen) override;
  MessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                  MessageBoxButtons buttons) override;
  void SetWaitCursor(bool shown) override;
  void Raise() override;
  void KeepSystemAwake(bool on) override;

 private:
  struct Impl;
  explicit SdlBackend(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The virtual key of an SDL key code; 0 for keys the application has no use for.
std::uint32_t VirtualKeyFromSdl(std::int32_t sdlKey);

}  // namespace platform
