#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

namespace {

using platform::Brush;
using platform::Canvas;
using platform::Colour;
using platform::Pen;
using platform::PixelFormat;
using platform::Rect;
using platform::Surface;

constexpr Colour kRed = platform::MakeColour(255, 0, 0);
constexpr Colour kGreen = platform::MakeColour(0, 255, 0);

// Counts the pixels of the surface that have the colour.
int CountColour(const Surface& surface, Colour colour) {
  int n = 0;
  for (int y = 0; y < surface.Height(); ++y) {
    for (int x = 0; x < surface.Width(); ++x) n += surface.GetPixel(x, y) == platform::ColourToPixel(colour);
  }
  return n;
}

TEST(CanvasTest, FillIsClippedAtEveryEdgeOfTheCanvasArea) {
  // A canvas over (2, 3)-(8, 7) of a 10 x 10 surface: nothing outside it may change.
  struct Case {
    const char* name;
    Rect fill;
    int expected;
  } cases[] = {
      {"inside", {1, 1, 3, 2}, 2},       {"over left", {-5, 0, 2, 1}, 2},
      {"over top", {0, -4, 1, 2}, 2},    {"over right", {4, 0, 20, 1}, 2},
      {"over bottom", {0, 3, 1, 50}, 1}, {"over all", {-9, -9, 99, 99}, 24},
      {"outside", {6, 0, 9, 4}, 0},      {"empty", {3, 3, 3, 5}, 0},
  };
  for (const Case& c : cases) {
    for (PixelFormat format : {PixelFormat::kXrgb32, PixelFormat::kBgr24BottomUp}) {
      Surface surface(10, 10, format);
      Canvas canvas(surface, Rect{2, 3, 8, 7});
      canvas.FillRect(c.fill, kRed);
      EXPECT_EQ(CountColour(surface, kRed), c.expected) << c.name;
      for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
          if (!Rect{2, 3, 8, 7}.Contains(x, y)) {
            ASSERT_EQ(surface.GetPixel(x, y), 0u) << c.name << " " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(CanvasTest, RectangleOutlinesInsideAndFillsWithTheBrush) {
  Surface surface(8, 8, PixelFormat::kXrgb32);
  Canvas canvas(surface);
  canvas.SelectBrush(Brush{Brush::Style::kSolid, kGreen});
  canvas.Rectangle(Rect{1, 1, 6, 5});
  EXPECT_EQ(canvas.GetPixel(1, 1), 0u);  // the default pen is black
  EXPECT_EQ(canvas.GetPixel(5, 4), 0u);
  EXPECT_EQ(canvas.GetPixel(2, 2), kGreen);
  EXPECT_EQ(canvas.GetPixel(4, 3), kGreen);
  EXPECT_EQ(CountColour(surface, kGreen), 3 * 2);
  canvas.FillRect(canvas.Bounds(), kGreen);
  canvas.Rectangle(Rect{1, 1, 6, 5});
  EXPECT_EQ(CountColour(surface, platform::MakeColour(0, 0, 0)), 5 * 2 + 2 * 2);
}

TEST(CanvasTest, DashedPenWithHollowBrushMarksOnlyTheEdge) {
  Surface surface(40, 10, PixelFormat::kXrgb32);
  Canvas canvas(surface);
  canvas.FillRect(canvas.Bounds(), kGreen);
  canvas.SelectPen(Pen{Pen::Style::kDash, kRed});
  canvas.SelectBrush(Brush{Brush::Style::kHollow, 0});
  canvas.Rectangle(Rect{0, 1, 40, 9});
  // The inside keeps its pixels; the top edge alternates dashes and gaps.
  for (int y = 2; y < 8; ++y) {
    for (int x = 1; x < 39; ++x) ASSERT_EQ(canvas.GetPixel(x, y), kGreen);
  }
  int on = 0, off = 0;
  for (int x = 0; x < 40; ++x) (canvas.GetPixel(x, 1) == kRed ? on : off)++;
  EXPECT_GT(on, 0);
  EXPECT_GT(off, 0);
  EXPECT_EQ(canvas.GetPixel(0, 1), kRed);
  EXPECT_EQ(canvas.GetPixel(Pen::kDashOn, 1), kGreen);
  EXPECT_EQ(canvas.GetPixel(5, 0), kGreen);  // nothing outside the rectangle
}

TEST(CanvasTest, BitBltConvertsFormatsAndClipsBothSides) {
  for (PixelFormat from : {PixelFormat::kXrgb32, PixelFormat::kBgr24BottomUp}) {
    for (PixelFormat to : {PixelFormat::kXrgb32, PixelFormat::kBgr24BottomUp}) {
      Surface source(4, 4, from);
      Canvas src(source);
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) src.SetPixel(x, y, platform::MakeColour(x * 50 + 1, y * 50 + 1, 7));
      }
      Surface target(6, 6, to);
      Canvas dst(target);
      // From (-1, 2) of the source to (4, -1): only source (0..1, 3) lands, at (5, 0).
      EXPECT_TRUE(dst.BitBlt(4, -1, 4, 4, src, -1, 2));
      EXPECT_EQ(dst.GetPixel(5, 0), platform::MakeColour(1, 151, 7));
      EXPECT_EQ(dst.GetPixel(4, 0), 0u);
      int touched = 0;
      for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) touched += dst.GetPixel(x, y) != 0;
      }
      EXPECT_EQ(touched, 1);
    }
  }
}

TEST(CanvasTest, BitBltWithinOneSurfaceOverlapping) {
  Surface surface(1, 6, PixelFormat::kXrgb32);
  Canvas canvas(surface);
  for (int y = 0; y < 6; ++y) canvas.SetPixel(0, y, platform::MakeColour(y, 0, 0));
  canvas.BitBlt(0, 2, 1, 4, canvas, 0, 0);  // move rows down by two
  for (int y = 2; y < 6; ++y) EXPECT_EQ(canvas.GetPixel(0, y), platform::MakeColour(y - 2, 0, 0));
}

TEST(CanvasTest, StretchOfAOnePixelStripFillsTheRow) {
  Surface strip(1, 3, PixelFormat::kXrgb32);
  Canvas src(strip);
  src.SetPixel(0, 0, kRed);
  src.SetPixel(0, 1, kGreen);
  src.SetPixel(0, 2, kRed);
  Surface target(50, 10, PixelFormat::kBgr24BottomUp);
  Canvas dst(target);
  EXPECT_TRUE(dst.StretchBlt(Rect{0, 4, 50, 7}, src, Rect{0, 0, 1, 3}));
  for (int x = 0; x < 50; ++x) {
    EXPECT_EQ(dst.GetPixel(x, 4), kRed);
    EXPECT_EQ(dst.GetPixel(x, 5), kGreen);
    EXPECT_EQ(dst.GetPixel(x, 6), kRed);
    EXPECT_EQ(dst.GetPixel(x, 3), 0u);
    EXPECT_EQ(dst.GetPixel(x, 7), 0u);
  }
  // Doubling maps each source pixel to two.
  Surface two(2, 1, PixelFormat::kXrgb32);
  Canvas pair(two);
  pair.SetPixel(0, 0, kRed);
  pair.SetPixel(1, 0, kGreen);
  dst.StretchBlt(Rect{0, 0, 4, 1}, pair, Rect{0, 0, 2, 1});
  EXPECT_EQ(dst.GetPixel(1, 0), kRed);
  EXPECT_EQ(dst.GetPixel(2, 0), kGreen);
}

}  // namespace
