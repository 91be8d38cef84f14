#include "server/XmlReplyWriter.h"

#include <gtest/gtest.h>

#include "tests/server/XmlProbe.h"

namespace {

using server::XmlReplyWriter;

struct SanitizeCase {
  const char* name;
  std::string input;
  size_t maxBytes;
  std::string expected;
};

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(XmlReplyWriterTest, SanitizeKeepsOnlyWhatXmlAllows) {
  const SanitizeCase cases[] = {
      {"markup characters stay for escaping", "a<b&c]]>d", 100, "a<b&c]]>d"},
      {"C0 controls dropped, tab and line breaks kept", std::string("x\x01y\tz\n\r\x1f\x7f", 9), 100, "xy\tz\n\r"},
      {"stray continuation byte", "a\x80z", 100, "a" + kReplacement + "z"},
      {"invalid lead byte", "a\xFFz", 100, "a" + kReplacement + "z"},
      {"sequence cut by the end", "ab\xC3", 100, "ab" + kReplacement},
      {"sequence cut by ASCII", "\xE2\x82z", 100, kReplacement + kReplacement + "z"},
      {"overlong encoding", "\xC0\xAF", 100, kReplacement},
      {"UTF-16 surrogate", "\xED\xA0\x80", 100, kReplacement},
      {"noncharacter U+FFFE", "\xEF\xBF\xBE", 100, kReplacement},
      {"four-byte character kept", "\xF0\x9F\x8E\xB5", 100, "\xF0\x9F\x8E\xB5"},
      {"cut never splits a character", "a\xC3\xA9", 2, "a"},
      {"cut exactly at a boundary", "a\xC3\xA9z", 3, "a\xC3\xA9"},
  };
  for (const SanitizeCase& c : cases) {
    EXPECT_EQ(XmlReplyWriter::SanitizeText(c.input, c.maxBytes), c.expected) << c.name;
  }
}

TEST(XmlReplyWriterTest, HostileFieldTextParsesBackToItsCleanFormCutToASlot) {
  std::string longTitle;
  for (int i = 0; i < 400; ++i) longTitle += "\xC3\xA9";  // 800 bytes of 'é'
  XmlReplyWriter xml("response");
  xml.Open("item");
  xml.Field("title", "Less <than> & ]]> \"q\" 'a' \x01 end \xFF");
  xml.Field("empty", "");
  xml.Field("count", int64_t{42});
  xml.Field("long", longTitle);
  xml.Close("item");
  const std::string document = xml.Finish();
  EXPECT_EQ(document.find('\n'), std::string::npos) << "no whitespace between elements";
  const servertest::XmlProbe probe = servertest::XmlProbe::Parse(document);
  ASSERT_TRUE(probe.wellFormed);
  EXPECT_EQ(probe.Texts("title"), std::vector<std::string>{"Less <than> & ]]> \"q\" 'a'  end " + kReplacement});
  EXPECT_EQ(probe.Texts("empty").size(), 0u) << "an empty field is left out, never written as an empty element";
  EXPECT_EQ(probe.Texts("count"), std::vector<std::string>{"42"});
  EXPECT_EQ(probe.Texts("long"), std::vector<std::string>{longTitle.substr(0, 510)}) << "255 whole characters";
}

}  // namespace
