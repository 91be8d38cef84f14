#pragma once

#include <cstdint>

#include "platform/gfx/Canvas.h"
#include "platform/window/Window.h"

namespace ui {

// A page of the application (a tab's screen or a popup): it owns a group of controls,
// shows and hides them together, and receives the window's keys, taps and private messages
// from the main window. Only the active screen paints. UI thread only.
class Screen {
 public:
  // Bits of Paint's layers: the screen's main list, its secondary controls (panel
  // background, page control, header); the top control is always drawn.
  static constexpr std::uint32_t kLayerMain = 1;
  static constexpr std::uint32_t kLayerSecondary = 2;
  static constexpr std::uint32_t kLayerAll = 255;

  Screen() = default;
  virtual ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // Keeps the window; returns 1. Subclasses create their controls and return 1, 1001 or 1002.
  virtual int Create(platform::Window& owner);
  // Draws while active, or when force is set for screens that honour it; layers as above.
  virtual void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) = 0;
  // A private window message forwarded or broadcast by the main window; returns 0.
  virtual std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) = 0;
  // The stylus went down at (x, y); true when handled. The base does nothing.
  virtual bool OnPointerDown(std::int32_t x, std::int32_t y);
  // Offers a tap to the screen's controls; true when consumed.
  virtual bool OnTap(std::int32_t x, std::int32_t y) = 0;
  // Sets active.
  virtual void Show();
  // Clears active.
  virtual void Hide();
  // Screens with a selectable item give the item popup their item and the menu entries
  // that apply to it; the base does nothing.
  virtual void FillItemPopup(Screen& itemPopup);
  // Marks the composed picture stale so that the next Paint rebuilds it (after a theme or
  // orientation change).
  virtual void Invalidate() = 0;
  // Paged screens turn to the next page (kNextPage) or the previous one (kPreviousPage) as
  // their page buttons do; the base does nothing.
  static constexpr int kNextPage = 0;
  static constexpr int kPreviousPage = 1;
  virtual void PageCommand(int direction);

  bool active = false;
  platform::Window* window = nullptr;
};

}  // namespace ui
