#include "server/ByteRange.h"

#include <gtest/gtest.h>

namespace {

struct RangeCase {
  const char* header;
  int64_t size;
  bool partial;
  bool unsatisfiable;
  int64_t first;
  int64_t last;
};

TEST(ByteRangeTest, ParsesOneRangeAndServesWholeFilesOtherwise) {
  const RangeCase cases[] = {
      {"", 100, false, false, 0, 0}, {"bytes=0-9", 100, true, false, 0, 9},
      {"bytes=90-", 100, true, false, 90, 99}, {"bytes=50-500", 100, true, false, 50, 99},
      {"bytes=-10", 100, true, false, 90, 99}, {"bytes=-200", 100, true, false, 0, 99},
      {"bytes=99-99", 100, true, false, 99, 99}, {"bytes=100-", 100, false, true, 0, 0},
      {"bytes=-0", 100, false, true, 0, 0}, {"bytes=0-", 0, false, true, 0, 0},
      {"bytes=5-1", 100, false, false, 0, 0}, {"bytes=0-1,5-6", 100, false, false, 0, 0},
      {"items=0-1", 100, false, false, 0, 0}, {"bytes=abc-", 100, false, false, 0, 0},
      {"bytes=-", 100, false, false, 0, 0}, {"bytes=99999999999999999999-", 100, false, false, 0, 0},
  };
  for (const RangeCase& c : cases) {
    const server::ByteRange range = server::ByteRange::Parse(c.header, c.size);
    EXPECT_EQ(range.partial, c.partial) << c.header;
    EXPECT_EQ(range.unsatisfiable, c.unsatisfiable) << c.header;
    if (c.partial) {
      EXPECT_EQ(range.first, c.first) << c.header;
      EXPECT_EQ(range.last, c.last) << c.header;
    }
  }
}

}  // namespace
