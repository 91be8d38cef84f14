#include "platform/gfx/Canvas.h"

#include <cstring>

#include "platform/text/Font.h"

namespace platform {
namespace {

// Copies n pixels from one row to another, converting between the formats.
void CopyRow(const std::uint8_t* src, PixelFormat srcFormat, std::uint8_t* dst,
             PixelFormat dstFormat, std::int32_t n) {
  if (srcFormat == dstFormat) {
    std::memcpy(dst, src, static_cast<std::size_t>(n) * (srcFormat == PixelFormat::kXrgb32 ? 4 : 3));
    return;
  }
  if (srcFormat == PixelFormat::kXrgb32) {
    for (std::int32_t i = 0; i < n; ++i) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      src += 4;
      dst += 3;
    }
  } else {
    for (std::int32_t i = 0; i < n; ++i) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      dst[3] = 0;
      src += 3;
      dst += 4;
    }
  }
}

}  // namespace

Canvas::Canvas(Surface& surface) : Canvas(surface, surface.Bounds()) {}

Canvas::Canvas(Surface& surface, const Rect& area)
    : surface_(&surface), area_(area.Intersect(surface.Bounds())) {}

const Font* Canvas::SelectFont(const Font* font) {
  const Font* previous = font_;
  font_ = font;
  return previous;
}

const Font* Canvas::SelectedFont() const { return font_ ? font_ : SystemFont(); }

Colour Canvas::SetTextColor(Colour colour) {
  Colour previous = textColour_;
  textColour_ = colour & 0xFFFFFF;
  return previous;
}

Colour Canvas::SetBkColor(Colour colour) {
  Colour previous = bkColour_;
  bkColour_ = colour & 0xFFFFFF;
  return previous;
}

BackgroundMode Canvas::SetBkMode(BackgroundMode mode) {
  BackgroundMode previous = bkMode_;
  bkMode_ = mode;
  return previous;
}

Pen Canvas::SelectPen(const Pen& pen) {
  Pen previous = pen_;
  pen_ = pen;
  return previous;
}

Brush Canvas::SelectBrush(const Brush& brush) {
  Brush previous = brush_;
  brush_ = brush;
  return previous;
}

void Canvas::FillRect(const Rect& rect, Colour colour) {
  if (!surface_) return;
  surface_->Fill(ToSurface(rect), ColourToPixel(colour));
}

void Canvas::DrawHorizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y, int& dashPhase) {
  for (std::int32_t x = x0; x <= x1; ++x) {
    bool on = pen_.style == Pen::Style::kSolid || dashPhase < Pen::kDashOn;
    if (on) SetPixel(x, y, pen_.colour);
    dashPhase = (dashPhase + 1) % (Pen::kDashOn + Pen::kDashOff);
  }
}

void Canvas::DrawVerticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1, int& dashPhase) {
  std::int32_t step = y0 <= y1 ? 1 : -1;
  for (std::int32_t y = y0;; y += step) {
    bool on = pen_.style == Pen::Style::kSolid || dashPhase < Pen::kDashOn;
    if (on) SetPixel(x, y, pen_.colour);
    dashPhase = (dashPhase + 1) % (Pen::kDashOn + Pen::kDashOff);
    if (y == y1) break;
  }
}

void Canvas::Rectangle(const Rect& rect) {
  if (!surface_ || rect.IsEmpty()) return;
  Rect inside = rect;
  if (pen_.style != Pen::Style::kNull) {
    // The outline runs clockwise along the edges inside the rectangle, one dash pattern
    // continuing round the corners.
    int phase = 0;
    const std::int32_t l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    DrawHorizontalLine(l, r, t, phase);
    if (b > t) {
      DrawVerticalLine(r, t + 1, b, phase);
      for (std::int32_t x = r - 1; x >= l; --x) {
        bool on = pen_.style == Pen::Style::kSolid || phase < Pen::kDashOn;
        if (on) SetPixel(x, b, pen_.colour);
        phase = (phase + 1) % (Pen::kDashOn + Pen::kDashOff);
      }
      if (b - 1 > t) DrawVerticalLine(l, b - 1, t + 1, phase);
    }
    inside = Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  }
  if (brush_.style == Brush::Style::kSolid) FillRect(inside, brush_.colour);
}

bool Canvas::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                    const Canvas& src, std::int32_t sx, std::int32_t sy) {
  if (!surface_ || !src.surface_) return false;
  // Clip the destination, then the source, and move both rectangles together.
  Rect d = Rect::FromSize(x, y, w, h).Intersect(Bounds());
  if (d.IsEmpty()) return true;
  Rect s = d.Offset(sx - x, sy - y).Intersect(src.Bounds());
  if (s.IsEmpty()) return true;
  d = s.Offset(x - sx, y - sy);
  const Surface& from = *src.surface_;
  const std::int32_t n = d.Width();
  // Copying within one surface downwards must go bottom-up so that rows are read first.
  const bool backwards = &from == surface_ && d.top + area_.top > s.top + src.area_.top;
  for (std::int32_t i = 0; i < d.Height(); ++i) {
    std::int32_t row = backwards ? d.Height() - 1 - i : i;
    const std::uint8_t* srcRow = from.Row(src.area_.top + s.top + row) +
                                 static_cast<std::size_t>(src.area_.left + s.left) * from.BytesPerPixel();
    std::uint8_t* dstRow = surface_->Row(area_.top + d.top + row) +
                           static_cast<std::size_t>(area_.left + d.left) * surface_->BytesPerPixel();
    if (&from == surface_) {
      std::memmove(dstRow, srcRow, static_cast<std::size_t>(n) * from.BytesPerPixel());
    } else {
      CopyRow(srcRow, from.Format(), dstRow, surface_->Format(), n);
    }
  }
  return true;
}

bool Canvas::StretchBlt(const Rect& dst, const Canvas& src, const Rect& srcRect) {
  if (!surface_ || !src.surface_) return false;
  if (dst.IsEmpty() || srcRect.IsEmpty()) return true;
  Rect d = dst.Intersect(Bounds());
  if (d.IsEmpty()) return true;
  const std::int64_t dw = dst.Width(), dh = dst.Height();
  const std::int64_t sw = srcRect.Width(), sh = srcRect.Height();
  const Surface& from = *src.surface_;
  for (std::int32_t y = d.top; y < d.bottom; ++y) {
    // The source pixel under the centre of the destination pixel.
    std::int32_t sy = srcRect.top + static_cast<std::int32_t>(((y - dst.top) * 2 + 1) * sh / (2 * dh));
    if (sy < 0 || sy >= src.area_.Height()) continue;
    const std::uint8_t* srcRow = from.Row(src.area_.top + sy);
    std::uint8_t* dstRow = surface_->Row(area_.top + y);
    for (std::int32_t x = d.left; x < d.right; ++x) {
      std::int32_t sx =
          srcRect.left + static_cast<std::int32_t>(((x - dst.left) * 2 + 1) * sw / (2 * dw));
      if (sx < 0 || sx >= src.area_.Width()) continue;
      const std::uint8_t* p = srcRow + static_cast<std::size_t>(src.area_.left + sx) * from.BytesPerPixel();
      std::uint8_t* q = dstRow + static_cast<std::size_t>(area_.left + x) * surface_->BytesPerPixel();
      q[0] = p[0];
      q[1] = p[1];
      q[2] = p[2];
      if (surface_->Format() == PixelFormat::kXrgb32) q[3] = 0;
    }
  }
  return true;
}

Colour Canvas::GetPixel(std::int32_t x, std::int32_t y) const {
  if (!surface_ || !Bounds().Contains(x, y)) return 0;
  return PixelToColour(surface_->GetPixel(area_.left + x, area_.top + y));
}

void Canvas::SetPixel(std::int32_t x, std::int32_t y, Colour colour) {
  if (!surface_ || !Bounds().Contains(x, y)) return;
  surface_->SetPixel(area_.left + x, area_.top + y, ColourToPixel(colour));
}

}  // namespace platform
