#pragma once

#include <cstdint>
#include <string_view>

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Surface.h"

namespace platform {

class Font;

enum class BackgroundMode { kTransparent, kOpaque };

// The outline of Rectangle: solid, dashed (kDashOn pixels drawn, kDashOff skipped) or none.
// Pens are one pixel wide.
struct Pen {
  enum class Style { kSolid, kDash, kNull };
  Style style = Style::kSolid;
  Colour colour = 0x000000;
  static constexpr int kDashOn = 6;
  static constexpr int kDashOff = 3;
};

// The fill of Rectangle: a solid colour or nothing (hollow).
struct Brush {
  enum class Style { kSolid, kHollow };
  Style style = Style::kSolid;
  Colour colour = 0xFFFFFF;
};

// Flags of DrawText (the values of the phone's DrawText, so stored flag words keep meaning).
inline constexpr std::uint32_t kDtLeft = 0x0000;
inline constexpr std::uint32_t kDtTop = 0x0000;
inline constexpr std::uint32_t kDtCenter = 0x0001;
inline constexpr std::uint32_t kDtRight = 0x0002;
inline constexpr std::uint32_t kDtVCenter = 0x0004;  // single line only
inline constexpr std::uint32_t kDtBottom = 0x0008;   // single line only
inline constexpr std::uint32_t kDtWordBreak = 0x0010;
inline constexpr std::uint32_t kDtSingleLine = 0x0020;
inline constexpr std::uint32_t kDtNoClip = 0x0100;
inline constexpr std::uint32_t kDtCalcRect = 0x0400;
inline constexpr std::uint32_t kDtEndEllipsis = 0x8000;

// A drawing context over (a rectangle of) a surface, with the state the application selects:
// font, text colour, background mode and colour, pen and brush. Coordinates are relative to
// the canvas's origin; everything is clipped to the canvas. A fresh canvas has the system
// font, black text on an opaque white background, a black solid pen and a white solid brush.
// A canvas borrows its surface, which must outlive it and keep its size.
class Canvas {
 public:
  Canvas() = default;
  explicit Canvas(Surface& surface);
  // A canvas over `area` of the surface (clipped to it); (0, 0) is the area's top-left.
  Canvas(Surface& surface, const Rect& area);

  bool IsValid() const { return surface_ != nullptr; }
  Surface* GetSurface() const { return surface_; }
  // The size of the drawable area.
  Size GetSize() const { return Size{area_.Width(), area_.Height()}; }
  Rect Bounds() const { return Rect{0, 0, area_.Width(), area_.Height()}; }
  // The canvas's area in surface coordinates.
  const Rect& SurfaceArea() const { return area_; }

  // State selection; each returns the previous value. A null font selects the system font.
  const Font* SelectFont(const Font* font);
  Colour SetTextColor(Colour colour);
  Colour SetBkColor(Colour colour);
  BackgroundMode SetBkMode(BackgroundMode mode);
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  const Font* SelectedFont() const;
  Colour TextColor() const { return textColour_; }

  // Fills the rectangle with a colour, no outline.
  void FillRect(const Rect& rect, Colour colour);
  // Outlines the rectangle with the pen (inside its edges) and fills the inside with the
  // brush.
  void Rectangle(const Rect& rect);

  // Copies w x h pixels from (sx, sy) of src to (x, y) here (SRCCOPY). Pixels outside either
  // canvas are skipped. False when either canvas is invalid.
  bool BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const Canvas& src,
              std::int32_t sx, std::int32_t sy);
  // Copies srcRect of src scaled to dst (nearest pixel, SRCCOPY).
  bool StretchBlt(const Rect& dst, const Canvas& src, const Rect& srcRect);

  // Draws text with its cell's top-left at (x, y), clipped to `clip` when given. An opaque
  // background fills the text's cell first.
  void TextOut(std::int32_t x, std::int32_t y, const Rect* clip, std::u16string_view text);
  // Draws text formatted in rect by kDt* flags; returns the height of the text drawn. With
  // kDtCalcRect nothing is drawn and rect's right and bottom are set to the text's extent.
  std::int32_t DrawText(std::u16string_view text, Rect& rect, std::uint32_t flags);
  // Width and height of the text in the selected font.
  Size MeasureText(std::u16string_view text) const;

  // Pixel at canvas coordinates as a 0x00BBGGRR colour; 0 outside.
  Colour GetPixel(std::int32_t x, std::int32_t y) const;
  void SetPixel(std::int32_t x, std::int32_t y, Colour colour);

 private:
  // Draws UTF-8 text; the clip is in canvas coordinates.
  void DrawUtf8(std::int32_t x, std::int32_t y, const Rect& clip, std::string_view utf8);
  // The clip of a canvas-relative rectangle, in surface coordinates.
  Rect ToSurface(const Rect& r) const { return r.Offset(area_.left, area_.top).Intersect(area_); }
  void DrawHorizontalLine(std::int32_t x0, std::int32_t x1, std::int32_t y, int& dashPhase);
  void DrawVerticalLine(std::int32_t x, std::int32_t y0, std::int32_t y1, int& dashPhase);

  Surface* surface_ = nullptr;
  Rect area_;
  const Font* font_ = nullptr;
  Colour textColour_ = 0x000000;
  Colour bkColour_ = 0xFFFFFF;
  BackgroundMode bkMode_ = BackgroundMode::kOpaque;
  Pen pen_;
  Brush brush_;
};

}  // namespace platform
