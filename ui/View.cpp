#include "ui/View.h"

#include "ui/ViewMetrics.h"

namespace ui {

View::~View() = default;

int View::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  for (int o = 0; o < 2; ++o) {
    rect[o] = rects[o];
    width[o] = rects[o].Width();
    height[o] = rects[o].Height();
  }
  window = &owner;
  cookie = notifyCookie;
  backgroundColour = kDefaultBackground;
  return 1;
}

void View::Hide() { visible = false; }

void View::Show() {
  visible = true;
  Draw();
}

void View::DrawFocus(platform::Canvas&) {}

const platform::Rect& View::CurrentRect() const { return rect[Orientation()]; }
std::int32_t View::CurrentWidth() const { return width[Orientation()]; }
std::int32_t View::CurrentHeight() const { return height[Orientation()]; }

void View::Draw(platform::Canvas& windowDC) {
  const int o = Orientation();
  if (width[o] <= 0 || height[o] <= 0) return;
  if (drawBuffer_.Width() != width[o] || drawBuffer_.Height() != height[o]) {
    drawBuffer_.Reset(width[o], height[o], platform::PixelFormat::kXrgb32);
  }
  platform::Canvas memoryDC(drawBuffer_);
  memoryDC.BitBlt(0, 0, width[o], height[o], windowDC, rect[o].left, rect[o].top);
  Paint(memoryDC);
  windowDC.BitBlt(rect[o].left, rect[o].top, width[o], height[o], memoryDC, 0, 0);
}

void View::Draw() {
  if (!window) return;
  platform::Canvas dc = window->GetDC();
  Draw(dc);
}

void View::SetFocus(bool flag) {
  if (flag) Show();
  focused = flag;
}

void View::Notify(std::uint32_t message, std::intptr_t second) const {
  if (window) window->Post(message, cookie, second);
}

bool View::StandardKey(std::uint32_t virtualKey) {
  if (virtualKey == platform::vk::kUp || virtualKey == platform::vk::kDown) {
    focused = false;
    Draw();
  }
  return false;
}

void View::PaintBackground(platform::Canvas& dc) const {
  if (noBackground) return;
  const int o = Orientation();
  dc.FillRect(platform::Rect{0, 0, width[o], height[o]}, backgroundColour);
}

void View::DrawStrip(platform::Canvas& dc, std::int32_t y, const platform::Surface* strip,
                     std::int32_t stripHeight, bool force) const {
  if (!(focused || force) || !strip) return;
  // Canvas borrows a mutable surface; the strip is only read.
  platform::Canvas source(const_cast<platform::Surface&>(*strip));
  dc.StretchBlt(platform::Rect{0, y, width[Orientation()], y + stripHeight}, source,
                platform::Rect{0, 0, 1, stripHeight});
}

}  // namespace ui
