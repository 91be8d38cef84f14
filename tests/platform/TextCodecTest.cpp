#include "platform/TextCodec.h"
#include <cstring>

#include <gtest/gtest.h>

#include "platform/DeviceIdentity.h"
#include "tests/support/TempDir.h"

namespace {

using namespace platform;

TEST(TextCodec, DecodesUtf8AndReplacesInvalidBytes) {
  struct Case {
    std::string input;
    std::u16string expected;
  } cases[] = {
      {"Simon & Garfunkel", u"Simon & Garfunkel"},
      {"Bj\xC3\xB6rk", u"Bj\u00f6rk"},
      {"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
      {"caf\xE9", u"caf\uFFFD"},              // Latin-1 byte
      {"\xC0\xAF", u"\uFFFD"},                // overlong
      {"\xED\xA0\x80", u"\uFFFD"},            // encoded surrogate
      {"a\xE2\x82", u"a\uFFFD"},              // truncated at the end
      {"\xE2\x82" "b", u"\uFFFD" "b"},        // truncated in the middle
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.input), c.expected) << c.input;
  EXPECT_EQ(Utf16ToUtf8(u"Bj\u00f6rk \U0001F3B5"), "Bj\xC3\xB6rk \xF0\x9F\x8E\xB5");
}

TEST(TextCodec, PrefixesNeverSplitACharacter) {
  const std::string text = "ab\xC3\xA9\xF0\x9F\x8E\xB5";  // a b é 🎵
  EXPECT_EQ(Utf8PrefixLength(text, 100), text.size());
  EXPECT_EQ(Utf8PrefixLength(text, 3), 2u);
  EXPECT_EQ(Utf8PrefixLength(text, 4), 4u);
  EXPECT_EQ(Utf8PrefixLength(text, 7), 4u);
  EXPECT_EQ(Utf8PrefixLength(text, 0), 0u);
  const std::u16string wide = u"a\U0001F3B5";
  EXPECT_EQ(Utf16PrefixLength(wide, 2), 1u);
  EXPECT_EQ(Utf16PrefixLength(wide, 3), 3u);
}

TEST(DeviceIdentity, HashesMachineIdAndApplicationData) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "machine-id", "0123456789abcdef0123456789abcdef\n");
  const std::uint8_t app[] = {'V', 'o', 'r', 'n', 'a', 'l', 'o', 'M', 'o', 'b', 'i', 'l', 'e'};
  std::uint8_t first[21] = {}, second[21] = {}, other[21] = {};
  std::size_t length = 21;
  ASSERT_EQ(GetDeviceUniqueID(dir / "machine-id", app, sizeof app, first, &length), 0);
  EXPECT_EQ(first[19], 0x42);
  EXPECT_EQ(length, 20u);
  length = 21;
  ASSERT_EQ(GetDeviceUniqueID(dir / "machine-id", app, sizeof app, second, &length), 0);
  EXPECT_EQ(std::memcmp(first, second, 21), 0);
  EXPECT_EQ(first[20], 0);
  // echo -n 0123456789abcdef0123456789abcdefVornaloMobile | sha1sum
  EXPECT_EQ(first[0], 0x30) << "sha1 of machine id + application data";
  length = 21;
  ASSERT_EQ(GetDeviceUniqueID(dir / "machine-id", app, 7, other, &length), 0);
  EXPECT_NE(std::memcmp(first, other, 20), 0);

  std::size_t small = 19;
  EXPECT_EQ(GetDeviceUniqueID(dir / "machine-id", app, sizeof app, other, &small), -1);
  length = 21;
  EXPECT_EQ(GetDeviceUniqueID(dir / "absent", app, sizeof app, other, &length), -1);
}

}  // namespace
