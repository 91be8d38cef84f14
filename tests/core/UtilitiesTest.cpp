#include "core/Utilities.h"
#include <cstring>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/WaitCursor.h"

namespace {

std::string Encode(const char* input, std::int32_t capacity) {
  std::vector<char> out(capacity > 0 ? capacity + 1 : 1, '#');
  core::UrlEncode(out.data(), capacity, input);
  return out.data();
}

TEST(UrlEncode, EscapesReservedBytesAndStopsAtTheFirstPieceThatDoesNotFit) {
  struct Case {
    const char* input;
    std::int32_t capacity;
    const char* expected;
  } cases[] = {
      {"a b", 255, "a+b"}, {"a+b=c", 255, "a%2Bb%3Dc"}, {"x/y\\z", 255, "x/y\\z"},
      {"\xE9t\xC3\xA9", 255, "%E9t%C3%A9"}, {"AZaz09-_.~", 255, "AZaz09%2D%5F%2E%7E"}, {"", 255, ""},
      // An escape must leave the output below capacity; nothing after it is written either.
      {"ab+c", 4, "ab"}, {"ab+c", 5, "ab"}, {"ab+c", 6, "ab%2Bc"}, {"abc", 2, "ab"}, {"abc", 0, ""}, {"abc", -5, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Encode(c.input, c.capacity), c.expected) << c.input << " in " << c.capacity;
  std::vector<char> out(8, 'X');
  core::UrlEncode(out.data(), 4, "abcdefgh");
  EXPECT_STREQ(out.data(), "abcd");
  EXPECT_EQ(out[5], 'X');  // never past capacity plus the terminator
  EXPECT_EQ(core::UrlEncode("a b+", 255), "a+b%2B");
}

TEST(Base64Encode, MatchesRfc4648VectorsAndFailsWhenTheTerminatorDoesNotFit) {
  struct Case {
    const char* input;
    const char* expected;
  } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
               {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
               {"foobar", "Zm9vYmFy"}, {"\xFB\xFF", "+/8="}};
  char out[32];
  for (const auto& c : cases) {
    ASSERT_EQ(core::Base64Encode(reinterpret_cast<const std::uint8_t*>(c.input), std::strlen(c.input), out,
                           sizeof out), 1);
    EXPECT_STREQ(out, c.expected);
  }
  const std::uint8_t id[20] = {};
  EXPECT_EQ(core::Base64Encode(id, 20, out, 28), 0);
  ASSERT_EQ(core::Base64Encode(id, 20, out, 29), 1);
  EXPECT_EQ(std::string(out), std::string(27, 'A') + "=");
  EXPECT_EQ(core::Base64Encode(id, 1, out, 3), 0);  // padding does not fit
  EXPECT_EQ(core::Base64Encode(id, 0, out, 0), 0);  // not even the terminator
}

TEST(WideToNarrow, ConvertsToUtf8AndKeepsNullAndEmptyApart) {
  EXPECT_EQ(core::WideToNarrow(nullptr), nullptr);
  auto empty = core::WideToNarrow(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty.get(), "");
  EXPECT_STREQ(core::WideToNarrow(u"Caf\u00e9 \U0001F3B5").get(), "Caf\xC3\xA9 \xF0\x9F\x8E\xB5");
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_STREQ(core::WideToNarrow(lone).get(), "a\xEF\xBF\xBD" "b");
}

TEST(FormatCatalogueDate, WritesMonthDayAndYear) {
  struct Case {
    const char* input;
    const char16_t* expected;
  } cases[] = {
      {"2009-12-25", u"Dec. 25, 2009"}, {"2009-04-06", u"Apr. 6, 2009"},
      {"2010-01-31 10:00:00", u"Jan. 31, 2010"}, {"2009-00-05", u". 5, 2009"},
      {"2009-13-05", u". 5, 2009"}, {"2009--3-05", u". 5, 2009"},
      {"2009", u". 0, 2009"}, {"", u". 0, 0"}, {"garbage", u". 0, 0"},
      {"99999999999-02-03", u"Feb. 3, 2147483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(core::FormatCatalogueDate(c.input), c.expected) << c.input;
  EXPECT_EQ(core::FormatCatalogueDate(nullptr), u". 0, 0");
}

class RecordingCursor : public core::WaitCursorHost {
 public:
  void ShowWaitCursor() override { events += "S"; }
  void RestoreCursor() override { events += "R"; }
  std::string events;
};

TEST(WaitCursor, CallsDoNotNest) {
  RecordingCursor cursor;
  core::WaitCursorHost* previous = core::SetWaitCursorHost(&cursor);
  core::EndWaitCursor();  // nothing shown: nothing to restore
  core::BeginWaitCursor();
  core::BeginWaitCursor();
  EXPECT_TRUE(core::IsWaitCursorShown());
  core::EndWaitCursor();
  EXPECT_FALSE(core::IsWaitCursorShown());
  core::EndWaitCursor();
  EXPECT_EQ(cursor.events, "SR");
  core::SetWaitCursorHost(previous);
}

}  // namespace
