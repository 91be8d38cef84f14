#include <algorithm>

#include "platform/TextCodec.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/TextLayout.h"
#include "platform/text/Font.h"

// The text operations of Canvas: drawing at a point, formatted drawing and measurement.

namespace platform {

void Canvas::DrawUtf8(std::int32_t x, std::int32_t y, const Rect& clip, std::string_view utf8) {
  const Font* font = SelectedFont();
  if (!surface_ || !font || utf8.empty()) return;
  Rect box = ToSurface(clip.Intersect(Bounds()));
  if (box.IsEmpty()) return;
  TextCoverage ink;
  if (!font->Render(utf8, ink)) return;
  const std::int32_t left = area_.left + x, top = area_.top + y;
  if (bkMode_ == BackgroundMode::kOpaque) {
    surface_->Fill(Rect::FromSize(left, top, ink.width, ink.height).Intersect(box),
                   ColourToPixel(bkColour_));
  }
  Rect drawn = Rect::FromSize(left, top, ink.width, ink.height).Intersect(box);
  if (drawn.IsEmpty()) return;
  const std::uint32_t colour = ColourToPixel(textColour_);
  const std::uint32_t cr = colour >> 16 & 0xFF, cg = colour >> 8 & 0xFF, cb = colour & 0xFF;
  for (std::int32_t py = drawn.top; py < drawn.bottom; ++py) {
    const std::uint8_t* coverage =
        ink.alpha.data() + static_cast<std::size_t>(py - top) * ink.width;
    for (std::int32_t px = drawn.left; px < drawn.right; ++px) {
      const std::uint32_t a = coverage[px - left];
      if (a == 0) continue;
      if (a == 255) {
        surface_->SetPixel(px, py, colour);
        continue;
      }
      const std::uint32_t under = surface_->GetPixel(px, py);
      auto mix = [a](std::uint32_t fg, std::uint32_t bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
      surface_->SetPixel(px, py, mix(cr, under >> 16 & 0xFF) << 16 | mix(cg, under >> 8 & 0xFF) << 8 |
                                     mix(cb, under & 0xFF));
    }
  }
}

void Canvas::TextOut(std::int32_t x, std::int32_t y, const Rect* clip, std::u16string_view text) {
  DrawUtf8(x, y, clip ? *clip : Bounds(), Utf16ToUtf8(text));
}

Size Canvas::MeasureText(std::u16string_view text) const {
  const Font* font = SelectedFont();
  if (!font) return Size{};
  return font->Measure(Utf16ToUtf8(text));
}

std::int32_t Canvas::DrawText(std::u16string_view text, Rect& rect, std::uint32_t flags) {
  const Font* font = SelectedFont();
  if (!font) return 0;
  const std::int32_t lineHeight = font->Height();
  auto measure = [font](std::string_view s) { return font->Measure(s).width; };
  std::vector<std::string> lines =
      LayoutTextLines(Utf16ToUtf8(text), rect.Width(), rect.Height(), lineHeight, flags, measure);
  const std::int32_t textHeight = static_cast<std::int32_t>(lines.size()) * lineHeight;
  if (flags & kDtCalcRect) {
    std::int32_t widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, measure(line));
    if (!(flags & kDtWordBreak) || widest > rect.Width()) rect.right = rect.left + widest;
    rect.bottom = rect.top + textHeight;
    return textHeight;
  }
  std::int32_t y = rect.top;
  if (flags & kDtSingleLine) {
    if (flags & kDtVCenter) y = rect.top + (rect.Height() - lineHeight) / 2;
    else if (flags & kDtBottom) y = rect.bottom - lineHeight;
  }
  const Rect clip = (flags & kDtNoClip) ? Bounds() : rect;
  for (const std::string& line : lines) {
    std::int32_t width = measure(line);
    std::int32_t x = rect.left;
    if (flags & kDtCenter) x = rect.left + (rect.Width() - width) / 2;
    else if (flags & kDtRight) x = rect.right - width;
    DrawUtf8(x, y, clip, line);
    y += lineHeight;
  }
  return textHeight;
}

}  // namespace platform
