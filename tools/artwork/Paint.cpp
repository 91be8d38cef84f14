#include "tools/artwork/Paint.h"

#include <cmath>

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

void AddStop(cairo_pattern_t* pattern, const ColorStop& stop) {
  cairo_pattern_add_color_stop_rgba(pattern, stop.offset, ((stop.rgb >> 16) & 0xFF) / 255.0,
                                    ((stop.rgb >> 8) & 0xFF) / 255.0, (stop.rgb & 0xFF) / 255.0,
                                    stop.alpha);
}

}  // namespace

void SetColor(cairo_t* cr, uint32_t rgb, double alpha) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                        (rgb & 0xFF) / 255.0, alpha);
}

UniquePattern LinearGradient(double x0, double y0, double x1, double y1,
                             std::initializer_list<ColorStop> stops) {
  UniquePattern pattern(cairo_pattern_create_linear(x0, y0, x1, y1));
  for (const ColorStop& stop : stops) AddStop(pattern.get(), stop);
  return pattern;
}

UniquePattern RadialGradient(double cx, double cy, double r0, double r1,
                             std::initializer_list<ColorStop> stops) {
  UniquePattern pattern(cairo_pattern_create_radial(cx, cy, r0, cx, cy, r1));
  for (const ColorStop& stop : stops) AddStop(pattern.get(), stop);
  return pattern;
}

void FillVertical(cairo_t* cr, double y0, double y1, std::initializer_list<ColorStop> stops) {
  FillWith(cr, LinearGradient(0, y0, 0, y1, stops));
}

void FillWith(cairo_t* cr, const UniquePattern& pattern) {
  cairo_set_source(cr, pattern.get());
  cairo_fill(cr);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double r = std::fmin(radius, std::fmin(w, h) / 2);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points) {
  cairo_new_sub_path(cr);
  for (int i = 0; i < points * 2; ++i) {
    const double angle = -kPi / 2 + i * kPi / points;
    const double r = (i % 2 == 0) ? outer : inner;
    cairo_line_to(cr, cx + r * std::cos(angle), cy + r * std::sin(angle));
  }
  cairo_close_path(cr);
}

void TrianglePath(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_close_path(cr);
}

void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double radius,
                double spread, double alpha) {
  const int steps = 6;
  for (int i = steps; i >= 1; --i) {
    const double grow = spread * i / steps;
    RoundedRect(cr, x - grow, y - grow, w + 2 * grow, h + 2 * grow, radius + grow);
    cairo_set_source_rgba(cr, 0, 0, 0, alpha / steps);
    cairo_fill(cr);
  }
}

void Gloss(cairo_t* cr, double x, double y, double w, double h, double radius, double strength) {
  cairo_save(cr);
  RoundedRect(cr, x, y, w, h, radius);
  cairo_clip(cr);
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h * 0.5, radius);
  FillVertical(cr, y, y + h * 0.5,
               {{0, 0xFFFFFF, 0.55 * strength}, {1, 0xFFFFFF, 0.12 * strength}});
  cairo_restore(cr);
}

void NoteSymbol(cairo_t* cr, double cx, double cy, double size) {
  // A beamed pair of quavers.
  const double s = size;
  const double headRx = 0.17 * s, headRy = 0.12 * s;
  const double leftX = cx - 0.22 * s, rightX = cx + 0.24 * s;
  const double headY = cy + 0.30 * s, rightHeadY = cy + 0.22 * s;
  const double stem = 0.075 * s;
  for (int i = 0; i < 2; ++i) {
    const double hx = i == 0 ? leftX : rightX;
    const double hy = i == 0 ? headY : rightHeadY;
    cairo_save(cr);
    cairo_translate(cr, hx, hy);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, headRx, headRy);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_fill(cr);
  }
  const double topLeft = cy - 0.34 * s, topRight = cy - 0.42 * s;
  cairo_rectangle(cr, leftX + headRx - stem, topLeft, stem, headY - topLeft);
  cairo_rectangle(cr, rightX + headRx - stem, topRight, stem, rightHeadY - topRight);
  cairo_fill(cr);
  cairo_move_to(cr, leftX + headRx - stem, topLeft);
  cairo_line_to(cr, rightX + headRx, topRight);
  cairo_line_to(cr, rightX + headRx, topRight + 0.16 * s);
  cairo_line_to(cr, leftX + headRx - stem, topLeft + 0.16 * s);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void MagnifierSymbol(cairo_t* cr, double cx, double cy, double size, double lineWidth) {
  const double r = size * 0.28;
  const double lx = cx - size * 0.1, ly = cy - size * 0.1;
  cairo_save(cr);
  cairo_set_line_width(cr, lineWidth);
  cairo_new_sub_path(cr);
  cairo_arc(cr, lx, ly, r, 0, 2 * kPi);
  cairo_stroke(cr);
  cairo_set_line_width(cr, lineWidth * 1.5);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  const double d = r * 0.7071 + lineWidth * 0.3;
  cairo_move_to(cr, lx + d, ly + d);
  cairo_line_to(cr, cx + size * 0.42, cy + size * 0.42);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void ListSymbol(cairo_t* cr, double cx, double cy, double size) {
  const double bar = size * 0.16;
  const double gap = (size - 3 * bar) / 2;
  const double x0 = cx - size / 2;
  for (int i = 0; i < 3; ++i) {
    const double y = cy - size / 2 + i * (bar + gap);
    cairo_rectangle(cr, x0, y, bar, bar);
    cairo_rectangle(cr, x0 + bar * 1.7, y, size - bar * 1.7, bar);
  }
  cairo_fill(cr);
}

void PlaySymbol(cairo_t* cr, double cx, double cy, double size) {
  const double h = size, w = size * 0.88;
  TrianglePath(cr, cx - w * 0.4, cy - h / 2, cx + w * 0.6, cy, cx - w * 0.4, cy + h / 2);
  cairo_fill(cr);
}

void PauseSymbol(cairo_t* cr, double cx, double cy, double size) {
  const double w = size * 0.3;
  cairo_rectangle(cr, cx - size * 0.4, cy - size / 2, w, size);
  cairo_rectangle(cr, cx + size * 0.4 - w, cy - size / 2, w, size);
  cairo_fill(cr);
}

void SkipSymbol(cairo_t* cr, double cx, double cy, double size, bool forward) {
  // Two triangles and a bar: |<< or >>|.
  const double h = size * 0.7, tw = size * 0.36, bar = size * 0.12;
  const double dir = forward ? 1 : -1;
  const double start = cx - dir * size * 0.5;
  for (int i = 0; i < 2; ++i) {
    const double base = start + dir * i * tw;
    TrianglePath(cr, base, cy - h / 2, base + dir * tw, cy, base, cy + h / 2);
  }
  const double barX = start + dir * 2 * tw;
  cairo_rectangle(cr, forward ? barX : barX - bar, cy - h / 2, bar, h);
  cairo_fill(cr);
}

double TextWidth(const ArtContext& art, const char* text, bool bold, double size) {
  cairo_set_font_face(art.cr, bold ? art.fonts->Bold() : art.fonts->Regular());
  cairo_set_font_size(art.cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(art.cr, text, &extents);
  return extents.x_advance;
}

double DrawText(const ArtContext& art, const char* text, bool bold, double size, double x,
                double y, TextAlign align) {
  const double width = TextWidth(art, text, bold, size);
  double left = x;
  if (align == TextAlign::kCenter) left = x - width / 2;
  if (align == TextAlign::kRight) left = x - width;
  cairo_move_to(art.cr, left, y);
  cairo_show_text(art.cr, text);
  cairo_new_path(art.cr);
  return width;
}

}  // namespace artwork
