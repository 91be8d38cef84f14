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
  StretchStrip(dc, platform::Rect{0, y, width[Orientation()], y + stripHeight}, *strip,
               platform::Rect{0, 0, 1, stripHeight});
}

void View::StretchStrip(platform::Canvas& dc, const platform::Rect& to, const platform::Surface& strip,
                        const platform::Rect& from) {
  if (from.Width() == 1 && from.Height() == to.Height() && from.bottom <= strip.Height()) {
    // A one-pixel-wide source stretched sideways gives each row one colour: fill the rows.
    for (std::int32_t i = 0; i < to.Height(); ++i) {
      const platform::Colour colour = platform::PixelToColour(strip.GetPixel(from.left, from.top + i));
      dc.FillRect(platform::Rect{to.left, to.top + i, to.right, to.top + i + 1}, colour);
    }
    return;
  }
  platform::Canvas source(const_cast<platform::Surface&>(strip));  // only read
  dc.StretchBlt(to, source, from);
}

}  // namespace ui
