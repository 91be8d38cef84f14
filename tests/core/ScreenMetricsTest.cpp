#include "core/ScreenMetrics.h"

#include <gtest/gtest.h>

namespace {

TEST(MeasureScreen, EveryScreenClass) {
  struct Case {
    std::int32_t width, height;
    std::int32_t code;
    std::uint32_t scale, portrait;
  };
  const Case cases[] = {
      {240, 320, 1, 1, 1}, {320, 240, 1, 1, 0}, {480, 640, 3, 2, 1},  {640, 480, 3, 2, 0},
      {800, 480, 4, 2, 0}, {480, 800, 4, 2, 1}, {240, 400, 2, 1, 1},  {400, 240, 2, 1, 0},
      {480, 480, 6, 1, 0}, {640, 640, 6, 2, 0}, {320, 320, 5, 1, 0},  {600, 1024, 99, 1, 1},
      {640, 200, 99, 2, 0},  // a VGA side alone doubles the scale
      {1024, 800, 99, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    core::MeasureScreen(c.width, c.height);
    EXPECT_EQ(core::resolutionCode, c.code);
    EXPECT_EQ(core::scaleFactor, c.scale);
    EXPECT_EQ(core::isPortrait, c.portrait);
  }
}

}  // namespace
