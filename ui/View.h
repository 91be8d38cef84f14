#pragma once

#include <cstdint>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Surface.h"
#include "platform/window/Window.h"
#include "ui/STScreenBuffer.h"

namespace ui {

// A control that owns one rectangle of the main window per orientation (index 0 landscape,
// 1 portrait) and draws itself double-buffered. Coordinates given to Paint are relative to
// the control's top-left corner; taps arrive in window coordinates. UI thread only.
class View {
 public:
  static constexpr platform::Colour kDefaultBackground = 0xFFFFFF;

  View() = default;
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Copies both rectangles, derives width and height per orientation, keeps the window and
  // the cookie and sets the white background. Returns 1; subclasses that load images return
  // 1, 1001 (an image file missing) or 1002 (another load failure).
  virtual int Create(const platform::Rect rects[2], platform::Window& window, std::uintptr_t cookie);
  // True when the key was consumed.
  virtual bool OnKey(std::uint32_t virtualKey) = 0;
  // Clears visible.
  virtual void Hide();
  // Sets visible and draws the control on the window at once.
  virtual void Show();
  // Recomputes positions that depend on the orientation; nothing in the base.
  virtual void UpdateLayout() {}
  // (x, y) in window coordinates; true when the tap was consumed.
  virtual bool OnTap(std::int32_t x, std::int32_t y) = 0;
  // Draws the keyboard focus mark; nothing in the base.
  virtual void DrawFocus(platform::Canvas& dc);
  // Draws the whole control into dc, whose (0, 0) is the control's top-left corner.
  virtual void Paint(platform::Canvas& dc) = 0;

  // One double-buffered pass: the window's pixels under the control are copied into an
  // off-screen buffer of the control's size, Paint draws over them, and the buffer goes back
  // to the same place. Pixels outside the control are never touched. The buffer is kept
  // between draws, so a repaint at an unchanged size does not allocate.
  void Draw(platform::Canvas& windowDC);
  // Draw on the window's own canvas; nothing before Create.
  void Draw();
  // If flag is set, Show; then keep the flag as the keyboard focus.
  void SetFocus(bool flag);

  // The rectangle, width and height for the current orientation.
  const platform::Rect& CurrentRect() const;
  std::int32_t CurrentWidth() const;
  std::int32_t CurrentHeight() const;

  std::int32_t height[2] = {0, 0};
  std::int32_t width[2] = {0, 0};
  bool visible = false;
  platform::Window* window = nullptr;
  platform::Colour backgroundColour = kDefaultBackground;
  bool focused = false;
  platform::Rect rect[2];
  // The first parameter of every notification the control posts.
  std::uintptr_t cookie = 0;
  // List controls leave their background unfilled when set.
  bool noBackground = false;
  // A spare surface for subclasses.
  STScreenBuffer surface;

 protected:
  // Posts a notification to the window with the cookie as first parameter.
  void Notify(std::uint32_t message, std::intptr_t second) const;
  // Up or Down clear the focus, redraw and report not consumed, so that the screen moves
  // the focus on; every key is left unconsumed. For controls without keys of their own.
  bool StandardKey(std::uint32_t virtualKey);
  // Unless noBackground is set, fills the whole control with backgroundColour.
  void PaintBackground(platform::Canvas& dc) const;
  // If focused or force: stretches the one-pixel-wide strip's first stripHeight rows across
  // (0, y) – (width, y + stripHeight).
  void DrawStrip(platform::Canvas& dc, std::int32_t y, const platform::Surface* strip,
                 std::int32_t stripHeight, bool force) const;
  // Stretches `from` of the strip picture over `to` (nearest pixel, as StretchBlt).
  static void StretchStrip(platform::Canvas& dc, const platform::Rect& to, const platform::Surface& strip,
                           const platform::Rect& from);

 private:
  platform::Surface drawBuffer_;
};

}  // namespace ui
