#include "ui/TextImage.h"

#include "platform/TextCodec.h"

namespace ui {

void TextImage::Set(const platform::Font* font, std::u16string_view text) {
  if (font == font_ && text == wide_) return;
  font_ = font;
  wide_.assign(text.data(), text.size());
  utf8_ = platform::Utf16ToUtf8(text);
  Render();
}

void TextImage::SetUtf8(const platform::Font* font, std::string_view utf8) {
  if (font == font_ && utf8 == utf8_) return;
  font_ = font;
  utf8_.assign(utf8.data(), utf8.size());
  wide_ = platform::Utf8ToUtf16(utf8);
  Render();
}

void TextImage::Render() {
  size_ = platform::Size{};
  ink_ = platform::TextCoverage{};
  if (!font_) return;
  size_ = font_->Measure(utf8_);
  if (!utf8_.empty()) font_->Render(utf8_, ink_);
}

void TextImage::Draw(platform::Canvas& canvas, std::int32_t x, std::int32_t y,
                     const platform::Rect& clip, platform::Colour colour) const {
  platform::Surface* surface = canvas.GetSurface();
  if (!surface || ink_.width <= 0) return;
  const platform::Rect& area = canvas.SurfaceArea();
  // Everything below works in surface coordinates.
  const std::int32_t left = area.left + x, top = area.top + y;
  const platform::Rect box = clip.Intersect(canvas.Bounds()).Offset(area.left, area.top);
  const platform::Rect drawn = platform::Rect::FromSize(left, top, ink_.width, ink_.height).Intersect(box);
  if (drawn.IsEmpty()) return;
  const std::uint32_t pixel = platform::ColourToPixel(colour);
  const std::uint32_t cr = pixel >> 16 & 0xFF, cg = pixel >> 8 & 0xFF, cb = pixel & 0xFF;
  auto mix = [](std::uint32_t a, std::uint32_t fg, std::uint32_t bg) {
    return (fg * a + bg * (255 - a) + 127) / 255;
  };
  auto blend = [&](std::uint32_t a, std::uint32_t under) {
    return mix(a, cr, under >> 16 & 0xFF) << 16 | mix(a, cg, under >> 8 & 0xFF) << 8 | mix(a, cb, under & 0xFF);
  };
  const bool wide = surface->Format() == platform::PixelFormat::kXrgb32;
  for (std::int32_t py = drawn.top; py < drawn.bottom; ++py) {
    const std::uint8_t* coverage = ink_.alpha.data() + static_cast<std::size_t>(py - top) * ink_.width;
    std::uint8_t* row = surface->Row(py);
    for (std::int32_t px = drawn.left; px < drawn.right; ++px) {
      const std::uint32_t a = coverage[px - left];
      if (a == 0) continue;
      if (wide) {
        auto* word = reinterpret_cast<std::uint32_t*>(row) + px;
        *word = a == 255 ? pixel : blend(a, *word & 0xFFFFFF);
      } else {
        std::uint8_t* p = row + static_cast<std::size_t>(px) * 3;
        platform::WritePixel24(p, a == 255 ? pixel : blend(a, platform::ReadPixel24(p)));
      }
    }
  }
}

}  // namespace ui
