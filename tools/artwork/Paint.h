#pragma once

#include "tools/artwork/Fonts.h"

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <memory>

namespace artwork {

// What every drawing function gets: the context (user space in QVGA units), the scale factor
// the picture is made for (1 or 2) and the fonts.
struct ArtContext {
  cairo_t* cr;
  int scale;
  const Fonts* fonts;
};

// Colours are written 0xRRGGBB here (the client's own COLORREFs are 0x00BBGGRR).
void SetColor(cairo_t* cr, uint32_t rgb, double alpha = 1.0);

struct ColorStop {
  double offset;
  uint32_t rgb;
  double alpha;
};

struct PatternDeleter {
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};
using UniquePattern = std::unique_ptr<cairo_pattern_t, PatternDeleter>;

UniquePattern LinearGradient(double x0, double y0, double x1, double y1,
                             std::initializer_list<ColorStop> stops);
UniquePattern RadialGradient(double cx, double cy, double r0, double r1,
                             std::initializer_list<ColorStop> stops);

// Fills the current path with a vertical gradient from y0 to y1 and clears the path.
void FillVertical(cairo_t* cr, double y0, double y1, std::initializer_list<ColorStop> stops);
// Fills the current path with a pattern and clears the path.
void FillWith(cairo_t* cr, const UniquePattern& pattern);

// Path helpers (they only add to the current path).
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points);
void TrianglePath(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2);

// A soft shadow under a rounded rectangle: layers of growing, fading outlines.
void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double radius,
                double spread, double alpha);

// The glossy highlight of the look: a white sheen over the upper half of a rounded shape.
void Gloss(cairo_t* cr, double x, double y, double w, double h, double radius, double strength);

// Symbols, filled in the current source, fitted in a square of the given size around (cx, cy).
void NoteSymbol(cairo_t* cr, double cx, double cy, double size);
void MagnifierSymbol(cairo_t* cr, double cx, double cy, double size, double lineWidth);
void ListSymbol(cairo_t* cr, double cx, double cy, double size);
void PlaySymbol(cairo_t* cr, double cx, double cy, double size);
void PauseSymbol(cairo_t* cr, double cx, double cy, double size);
void SkipSymbol(cairo_t* cr, double cx, double cy, double size, bool forward);

enum class TextAlign { kLeft, kCenter, kRight };
// Draws one line of text with its baseline at y; returns its advance width.
double DrawText(const ArtContext& art, const char* text, bool bold, double size, double x,
                double y, TextAlign align);
double TextWidth(const ArtContext& art, const char* text, bool bold, double size);

// A small deterministic generator for scattered details (stars, fibres, crack branches).
class Lcg {
 public:
  explicit Lcg(uint32_t seed) : state_(seed) {}
  // A value in [0, 1).
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24);
  }
  double Range(double low, double high) { return low + (high - low) * Next(); }

 private:
  uint32_t state_;
};

}  // namespace artwork
