// Writing pictures: un-premultiplied colours, opaque without alpha, and command-line refusals.
#include "tests/support/TempDir.h"
#include "tools/artwork/ArtCanvas.h"
#include "tools/artwork/PngFile.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace {

using artwork::ArtCanvas;
using artwork::PngImage;

TEST(PngFile, TranslucentPixelsKeepTheirColourAndAlpha) {
  struct Case {
    double r, g, b, a;
    uint8_t expected[4];
  };
  const Case cases[] = {
      {1, 0, 0, 0.5, {255, 0, 0, 128}},
      {0.2, 0.6, 1, 0.25, {51, 153, 255, 64}},
      {1, 1, 1, 1, {255, 255, 255, 255}},
      {0.3, 0.3, 0.3, 0, {0, 0, 0, 0}},  // fully clear: nothing to keep
  };
  testsupport::TempDir dir;
  for (const Case& c : cases) {
    ArtCanvas canvas(2, 1, 1, false);
    cairo_set_operator(canvas.Context(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(canvas.Context(), c.r, c.g, c.b, c.a);
    cairo_paint(canvas.Context());
    std::string error;
    ASSERT_TRUE(canvas.Save(dir / "pixel.png", error)) << error;
    PngImage image;
    ASSERT_TRUE(artwork::ReadPng(dir / "pixel.png", &image));
    EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_RGB_ALPHA);
    // Cairo premultiplies in 8 bits: a colour is known within 255 / alpha, alpha to rounding.
    const double colourTolerance = c.expected[3] == 0 ? 0 : 255.0 / c.expected[3] + 0.5;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(image.Pixel(1, 0)[i], c.expected[i], colourTolerance) << "channel " << i;
    }
    EXPECT_NEAR(image.Alpha(1, 0), c.expected[3], 1);
  }
}

TEST(PngFile, OpaqueCanvasesWriteRgbAndStripsStayOnePixelWide) {
  testsupport::TempDir dir;
  ArtCanvas canvas(1, 10, 2, true);
  cairo_set_source_rgb(canvas.Context(), 0, 0, 1);
  cairo_paint(canvas.Context());
  std::string error;
  ASSERT_TRUE(canvas.Save(dir / "strip.png", error)) << error;
  PngImage image;
  ASSERT_TRUE(artwork::ReadPng(dir / "strip.png", &image));
  EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(image.width, 1);
  EXPECT_EQ(image.height, 20);
  EXPECT_EQ(image.Pixel(0, 19)[2], 255);
  EXPECT_EQ(image.Alpha(0, 19), 255);
}

TEST(PngFile, UnwritablePathAndNonPngFileAreReported) {
  testsupport::TempDir dir;
  ArtCanvas canvas(4, 4, 1, false);
  std::string error;
  EXPECT_FALSE(canvas.Save(dir / "missing-folder" / "x.png", error));
  EXPECT_NE(error.find("x.png"), std::string::npos);
  testsupport::WriteFile(dir / "fake.png", "not a png at all");
  PngImage image;
  EXPECT_FALSE(artwork::ReadPng(dir / "fake.png", &image));
  EXPECT_FALSE(artwork::ReadPng(dir / "absent.png", &image));
}

int RunTool(const std::string& arguments) {
  const int status = std::system((std::string(VORNALO_ARTWORK_TOOL) + " " + arguments + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ArtworkCommandLine, HelpSucceedsAndBadArgumentsAreRefused) {
  testsupport::TempDir dir;
  EXPECT_EQ(RunTool("--help"), 0);
  EXPECT_EQ(RunTool(""), 2);
  EXPECT_EQ(RunTool("--no-such-option " + dir.Path().string()), 2);
  EXPECT_EQ(RunTool(dir.Path().string() + " " + dir.Path().string()), 2);
  EXPECT_EQ(RunTool("--font-dir"), 2);
  EXPECT_FALSE(std::filesystem::exists(dir / "qvga"));
}

}  // namespace
