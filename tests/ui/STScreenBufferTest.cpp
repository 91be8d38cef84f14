#include "ui/STScreenBuffer.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "tests/support/TempDir.h"
#include "tests/support/TestPng.h"
#include "ui/BlendBuffer.h"
#include "ui/BlendRow.h"

namespace {

using platform::Canvas;
using platform::PixelFormat;
using platform::Surface;
using testsupport::TestPngSpec;
using ui::STScreenBuffer;

// Installs a QVGA blend buffer for the test's lifetime.
class BlendBufferScope {
 public:
  BlendBufferScope() : buffer_(ui::BlendBuffer::Allocate(1)) { ui::blendBuffer = buffer_.get(); }
  ~BlendBufferScope() { ui::blendBuffer = nullptr; }

 private:
  std::unique_ptr<ui::BlendBuffer> buffer_;
};

TEST(BlendPixelTest, FollowsTheIntegerFormulaWithDivisionBy256) {
  struct Case {
    std::uint32_t dst, src, expected;
  } cases[] = {
      {0x00123456, 0x00FFFFFF, 0x00123456},  // alpha 0 keeps the background exactly
      {0x00123456, 0x00000000, 0x00123456},
      {0x00000000, 0xFFFFFFFF, 0xFFFEFEFE},  // opaque: v lands as v - 1
      {0x00FFFFFF, 0xFF000000, 0xFF000000},  // 0 stays 0
      {0x00000000, 0xFF010203, 0xFF000102},
      {0x00000000, 0x80FFFFFF, 0x807F7F7F},  // (255 * 128) >> 8 = 127 over black
      {0x00FFFFFF, 0x80000000, 0x807E7E7E},  // (255 * 127) >> 8 = 126
      {0x00FF0000, 0x400000FF, 0x40BE003F},  // channels do not leak into each other
  };
  for (const Case& c : cases) {
    EXPECT_EQ(STScreenBuffer::BlendPixel(c.dst, c.src), c.expected) << std::hex << "dst " << c.dst << " src " << c.src;
  }
}

TEST(STScreenBufferTest, CreateBelowOnePixelLeavesNoSurfaceToUse) {
  STScreenBuffer buffer;
  buffer.Create(4, 4);
  EXPECT_EQ(buffer.Create(0, 5), 1);
  EXPECT_EQ(buffer.GetDC(), nullptr);
  Surface target(4, 4, PixelFormat::kXrgb32);
  Canvas canvas(target);
  EXPECT_FALSE(buffer.BlitTo(canvas, 0, 0));
}

TestPngSpec MakeSpec(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType,
                     std::vector<std::uint8_t> samples) {
  TestPngSpec layout;
  layout.width = width;
  layout.height = height;
  layout.bitDepth = bitDepth;
  layout.colourType = colourType;
  layout.samples = std::move(samples);
  return layout;
}

class LoadPngTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const TestPngSpec& layout) {
    std::string path = (dir_ / name).string();
    EXPECT_TRUE(testsupport::WriteTestPng(path, layout));
    return path;
  }
  testsupport::TempDir dir_;
};

TEST_F(LoadPngTest, EveryColourTypeDecodesToBlueGreenRedAlpha) {
  struct Case {
    const char* name;
    TestPngSpec layout;
    std::uint32_t first, second;  // decoded 0xAARRGGBB of the two pixels
  };
  TestPngSpec grey = MakeSpec(2, 1, 8, 0, {0x40, 0xC0});
  TestPngSpec greyAlpha = MakeSpec(2, 1, 8, 4, {0x40, 0x80, 0xC0, 0x00});
  TestPngSpec rgb = MakeSpec(2, 1, 8, 2, {1, 2, 3, 4, 5, 6});
  TestPngSpec rgba = MakeSpec(2, 1, 8, 6, {1, 2, 3, 4, 5, 6, 7, 8});
  TestPngSpec deep = MakeSpec(2, 1, 16, 6, {0x12, 0xFF, 0x34, 0x00, 0x56, 0x00, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x80, 0});
  TestPngSpec palette = MakeSpec(2, 1, 8, 3, {1, 0});
  palette.palette = {10, 20, 30, 40, 50, 60};
  TestPngSpec paletteTrns = palette;
  paletteTrns.trnsAlpha = {0x11, 0xFF};
  TestPngSpec greyTrns = MakeSpec(2, 1, 8, 0, {0x40, 0xC0});
  greyTrns.trnsGrey = 0x40;
  TestPngSpec lowDepth = MakeSpec(4, 1, 2, 0, {0x1B});  // grey levels 0, 1, 2, 3 at 2 bits
  TestPngSpec background = MakeSpec(2, 1, 8, 4, {0x00, 0x00, 0xFF, 0xFF});  // transparent black, white
  background.bkgdGrey = 0x80;
  Case cases[] = {
      {"grey", grey, 0xFF404040, 0xFFC0C0C0}, {"grey-alpha", greyAlpha, 0x80404040, 0x00C0C0C0},
      {"rgb", rgb, 0xFF010203, 0xFF040506}, {"rgba", rgba, 0x04010203, 0x08050607},
      {"16-bit", deep, 0xFF123456, 0x80000000}, {"palette", palette, 0xFF28323C, 0xFF0A141E},
      {"palette-trns", paletteTrns, 0xFF28323C, 0x110A141E}, {"grey-trns", greyTrns, 0x00404040, 0xFFC0C0C0},
      {"2-bit-grey", lowDepth, 0xFF000000, 0xFF555555},
      {"bKGD: the background shows through, all opaque", background, 0xFF808080, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    STScreenBuffer image;
    ASSERT_TRUE(image.LoadPng(Write(std::string(c.name) + ".png", c.layout).c_str())) << c.name;
    EXPECT_EQ(image.Channels(), 4) << c.name;
    EXPECT_EQ(image.Width(), static_cast<std::int32_t>(c.layout.width)) << c.name;
    EXPECT_GE(image.RowBytes(), c.layout.width * 4) << c.name;
    EXPECT_EQ(image.DecodedPixel(0, 0), c.first) << c.name << std::hex << " got " << image.DecodedPixel(0, 0);
    EXPECT_EQ(image.DecodedPixel(1, 0), c.second) << c.name << std::hex << " got " << image.DecodedPixel(1, 0);
    EXPECT_EQ(image.BackgroundColour().value_or(0), c.layout.bkgdGrey ? 0x808080u : 0u) << c.name;
  }
}

TEST_F(LoadPngTest, GammaChunkCorrectsForTheScreen) {
  TestPngSpec layout = MakeSpec(1, 1, 8, 0, {0x80});
  layout.gamma = 1.0;  // linear data shown on a 2.2 screen gets brighter
  STScreenBuffer image;
  ASSERT_TRUE(image.LoadPng(Write("gamma.png", layout).c_str()));
  EXPECT_GT(image.DecodedPixel(0, 0) & 0xFF, 0x80u);
}

// Every failed load also drops the image loaded before it.
TEST_F(LoadPngTest, FailuresTellAMissingFileFromTheRest) {
  STScreenBuffer image;
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng((dir_ / "a.png").string(), 3, 2, 1, 2, 3, 255));
  ASSERT_TRUE(image.LoadPng((dir_ / "a.png").c_str()));
  EXPECT_FALSE(image.LoadPng((dir_ / "missing.png").c_str()));
  EXPECT_FALSE(image.HasImage());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.LoadError(), ENOENT);
  EXPECT_EQ(ui::ImageLoadResult(false, image.LoadError()), 1001);

  ASSERT_TRUE(image.LoadPng((dir_ / "a.png").c_str()));
  testsupport::WriteFile(dir_ / "text.png", "GIF89a this is not a png at all");
  EXPECT_FALSE(image.LoadPng((dir_ / "text.png").c_str()));
  EXPECT_FALSE(image.HasImage());
  EXPECT_EQ(image.LoadError(), 0);
  EXPECT_EQ(ui::ImageLoadResult(false, image.LoadError()), 1002);

  // A real signature followed by garbage fails inside libpng and leaves no image.
  ASSERT_TRUE(image.LoadPng((dir_ / "a.png").c_str()));
  testsupport::WriteFile(dir_ / "cut.png", std::string("\x89PNG\r\n\x1a\n", 8) + "garbage-garbage-garbage");
  EXPECT_FALSE(image.LoadPng((dir_ / "cut.png").c_str()));
  EXPECT_FALSE(image.HasImage());
  EXPECT_EQ(ui::ImageLoadResult(true, 0), 1);
}

// Create and CaptureFrom leave a plain surface: nothing of the old image is drawn or read.
TEST_F(LoadPngTest, CreateOrCaptureDropsThePreviousImage) {
  BlendBufferScope scope;
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng((dir_ / "small.png").string(), 4, 4, 255, 255, 255, 255));
  Surface screen(320, 240, PixelFormat::kXrgb32);
  Canvas canvas(screen);
  for (int use = 0; use < 2; ++use) {
    SCOPED_TRACE(use == 0 ? "Create" : "CaptureFrom");
    STScreenBuffer buffer;
    ASSERT_TRUE(buffer.LoadPng((dir_ / "small.png").c_str()));
    if (use == 0) {
      buffer.Create(300, 200);
    } else {
      ASSERT_TRUE(buffer.CaptureFrom(canvas, 0, 0, 300, 200));
    }
    EXPECT_FALSE(buffer.HasImage());
    EXPECT_EQ(buffer.DecodedPixel(5, 5), 0u);
    buffer.DrawAlpha(canvas, 0, 0);  // nothing to draw: no read of the old image's memory
    EXPECT_EQ(canvas.GetPixel(0, 0), 0u);
    EXPECT_TRUE(buffer.BlitTo(canvas, 0, 0));
  }
}

// Every alpha over a gradient, both formats, whole surface and a canvas overhanging each edge
// and at negative offsets: each pixel equals BlendPixel, and nothing outside the canvas changes.
TEST_F(LoadPngTest, DrawAlphaMatchesBlendPixelEverywhere) {
  BlendBufferScope scope;
  constexpr std::int32_t kImageWidth = 9, kImageHeight = 7;
  std::vector<std::uint8_t> samples;
  for (std::int32_t y = 0; y < kImageHeight; ++y) {
    for (std::int32_t x = 0; x < kImageWidth; ++x) {
      const int alpha = x == 0 ? 0 : x == 1 ? 255 : (x * 37 + y * 53) % 256;
      samples.insert(samples.end(), {std::uint8_t(x * 28), std::uint8_t(y * 36), std::uint8_t(200 - x * 9 - y * 7),
                                     std::uint8_t(alpha)});
    }
  }
  ASSERT_TRUE(testsupport::WriteTestPng((dir_ / "gradient.png").string(),
                                        MakeSpec(kImageWidth, kImageHeight, 8, 6, samples)));
  STScreenBuffer image;
  ASSERT_TRUE(image.LoadPng((dir_ / "gradient.png").c_str()));

  constexpr std::int32_t kSurfaceWidth = 24, kSurfaceHeight = 18;
  auto background = [](std::int32_t x, std::int32_t y) -> std::uint32_t {  // 0x00RRGGBB
    return static_cast<std::uint32_t>((x * 10) << 16 | (y * 14) << 8 | ((x * 3 + y * 5) & 0xFF));
  };
  auto asColour = [](std::uint32_t rgb) {
    return platform::MakeColour(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  };
  const platform::Rect wholeArea{0, 0, kSurfaceWidth, kSurfaceHeight};
  const platform::Rect partArea{3, 2, 19, 15};
  for (PixelFormat format : {PixelFormat::kXrgb32, PixelFormat::kBgr24BottomUp}) {
    for (const platform::Rect& area : {wholeArea, partArea}) {
      const std::int32_t w = area.Width(), h = area.Height();
      const std::pair<std::int32_t, std::int32_t> offsets[] = {
          {2, 3}, {-3, -2}, {w - 5, h - 4}, {-4, h - 3}, {w - 6, -5}, {-kImageWidth, 0}, {0, h}};
      for (const auto& [ox, oy] : offsets) {
        SCOPED_TRACE(testing::Message() << (format == PixelFormat::kXrgb32 ? "32-bit" : "24-bit") << " area "
                                        << area.left << "," << area.top << " at " << ox << "," << oy);
        Surface surface(kSurfaceWidth, kSurfaceHeight, format);
        Canvas whole(surface);
        for (std::int32_t y = 0; y < kSurfaceHeight; ++y) {
          for (std::int32_t x = 0; x < kSurfaceWidth; ++x) whole.SetPixel(x, y, asColour(background(x, y)));
        }
        Canvas target(surface, area);
        image.DrawAlpha(target, ox, oy);
        for (std::int32_t y = 0; y < kSurfaceHeight; ++y) {
          for (std::int32_t x = 0; x < kSurfaceWidth; ++x) {
            const std::int32_t c = x - area.left - ox, r = y - area.top - oy;
            std::uint32_t expected = background(x, y);
            if (area.Contains(x, y) && c >= 0 && c < kImageWidth && r >= 0 && r < kImageHeight) {
              expected = STScreenBuffer::BlendPixel(expected, image.DecodedPixel(c, r)) & 0x00FFFFFFu;
            }
            ASSERT_EQ(whole.GetPixel(x, y), asColour(expected)) << "pixel " << x << "," << y;
            // A 32-bit surface holds 0x00RRGGBB: the blend's alpha must not land in the top byte.
            if (format == PixelFormat::kXrgb32) {
              ASSERT_EQ(reinterpret_cast<const std::uint32_t*>(surface.Row(y))[x] >> 24, 0u) << x << "," << y;
            }
          }
        }
        // The composition kept as the image's 32-bit bitmap (targets that are not 32-bit) too.
        if (const Surface* kept = image.Bitmap(); kept && kept->Format() == PixelFormat::kXrgb32) {
          for (std::int32_t y = 0; y < kept->Height(); ++y) {
            for (std::int32_t x = 0; x < kept->Width(); ++x) {
              ASSERT_EQ(reinterpret_cast<const std::uint32_t*>(kept->Row(y))[x] >> 24, 0u) << x << "," << y;
            }
          }
        }
      }
    }
  }
}

// Rows and columns all distinct: a capture and blit back between formats keeps every pixel.
TEST(STScreenBufferTest, CaptureAndBlitKeepEveryRowAndColumn) {
  for (PixelFormat format : {PixelFormat::kXrgb32, PixelFormat::kBgr24BottomUp}) {
    Surface screen(12, 9, format);
    Canvas canvas(screen);
    auto colour = [](std::int32_t x, std::int32_t y) { return platform::MakeColour(y * 25, x * 20, 255 - y * 25); };
    for (std::int32_t y = 0; y < 9; ++y) {
      for (std::int32_t x = 0; x < 12; ++x) canvas.SetPixel(x, y, colour(x, y));
    }
    STScreenBuffer snapshot;
    ASSERT_TRUE(snapshot.CaptureFrom(canvas, 2, 1, 7, 5));  // 5 x 4, pitch 8
    ASSERT_TRUE(snapshot.BlitTo(canvas, 6, 5));
    for (std::int32_t y = 0; y < 9; ++y) {
      for (std::int32_t x = 0; x < 12; ++x) {
        const bool copied = x >= 6 && x < 11 && y >= 5;
        ASSERT_EQ(canvas.GetPixel(x, y), copied ? colour(x - 4, y - 4) : colour(x, y)) << x << "," << y;
      }
    }
  }
}

TEST_F(LoadPngTest, DrawAlphaRefusesImagesLargerThanTheBlendBuffer) {
  BlendBufferScope scope;
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng((dir_ / "big.png").string(), 400, 200, 255, 255, 255, 255));
  STScreenBuffer image;
  ASSERT_TRUE(image.LoadPng((dir_ / "big.png").c_str()));
  Surface screen(400, 200, PixelFormat::kXrgb32);
  Canvas canvas(screen);
  image.DrawAlpha(canvas, 0, 0);
  EXPECT_EQ(canvas.GetPixel(0, 0), 0u);
  ui::blendBuffer = nullptr;
  STScreenBuffer small;
  ASSERT_TRUE(testsupport::WriteSolidRgbaPng((dir_ / "small.png").string(), 2, 2, 255, 255, 255, 255));
  ASSERT_TRUE(small.LoadPng((dir_ / "small.png").c_str()));
  small.DrawAlpha(canvas, 0, 0);  // no blend buffer: nothing drawn, nothing written
  EXPECT_EQ(canvas.GetPixel(0, 0), 0u);
}

TEST(BlendRowTest, MatchesBlendPixelForEveryAlphaAndAnyRowLength) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed;
  };
  for (std::size_t n : {0u, 1u, 3u, 4u, 5u, 12u, 257u}) {
    std::vector<std::uint32_t> dst(n), src(n), out(n);
    for (std::size_t i = 0; i < n; ++i) {
      dst[i] = next();  // the top byte must be ignored
      src[i] = (next() & 0x00FFFFFFu) | static_cast<std::uint32_t>(i % 256) << 24;
    }
    if (n == 257) src[0] &= 0x00FFFFFF, src[1] |= 0xFF000000u;
    ui::BlendRow(dst.data(), src.data(), out.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(out[i], STScreenBuffer::BlendPixel(dst[i] & 0x00FFFFFFu, src[i])) << n << " " << i;
    }
    std::vector<std::uint32_t> zeroTop(n);
    ui::BlendRow(dst.data(), src.data(), zeroTop.data(), n, ui::BlendTopByte::kZero);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(zeroTop[i], out[i] & 0x00FFFFFFu) << n << " " << i;
    ui::BlendRow(dst.data(), src.data(), dst.data(), n);  // in place, as DrawAlpha blends
    EXPECT_EQ(dst, out) << n;
  }
}

}  // namespace
