#include <gtest/gtest.h>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/TextLayout.h"
#include "platform/text/Font.h"

namespace {

using platform::Canvas;
using platform::Font;
using platform::PixelFormat;
using platform::Rect;
using platform::Surface;

constexpr platform::Colour kWhite = 0xFFFFFF;

// The bounding box of every pixel that is not white.
Rect InkBox(const Canvas& canvas) {
  Rect box{1 << 20, 1 << 20, -1, -1};
  for (int y = 0; y < canvas.GetSize().height; ++y) {
    for (int x = 0; x < canvas.GetSize().width; ++x) {
      if (canvas.GetPixel(x, y) == kWhite) continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box.right < 0 ? Rect{} : box;
}

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface_.Reset(300, 120, PixelFormat::kXrgb32);
    canvas_ = Canvas(surface_);
    canvas_.FillRect(canvas_.Bounds(), kWhite);
    canvas_.SetBkMode(platform::BackgroundMode::kTransparent);
    font_ = Font::Create(16, 400);
    ASSERT_NE(font_, nullptr);
    canvas_.SelectFont(font_.get());
  }
  Surface surface_;
  Canvas canvas_;
  std::unique_ptr<Font> font_;
};

TEST(FontTest, CellHeightNeverExceedsTheHeightAskedFor) {
  for (int height : {8, 11, 13, 16, 26, 34}) {
    for (int weight : {400, 700}) {
      auto font = Font::Create(height, weight);
      ASSERT_NE(font, nullptr) << height;
      EXPECT_EQ(font->Height(), height);
      platform::TextCoverage ink;
      ASSERT_TRUE(font->Render("Hg\xc3\x89", ink));
      EXPECT_EQ(ink.height, height);
      EXPECT_EQ(ink.width, font->Measure("Hg\xc3\x89").width);
    }
  }
  EXPECT_EQ(Font::Create(0), nullptr);
  EXPECT_TRUE(Font::Create(17, 700)->IsBold());
}

TEST(FontTest, ExplicitWidthScalesTheGlyphs) {
  auto natural = Font::Create(17, 700);
  auto narrow = Font::Create(17, 700, 4);
  auto wide = Font::Create(17, 700, 16);
  const int n = natural->Measure("Search Results").width;
  EXPECT_LT(narrow->Measure("Search Results").width, n);
  EXPECT_GT(wide->Measure("Search Results").width, n);
}

TEST_F(TextTest, MeasurementMatchesTheInkDrawn) {
  const std::u16string text = u"Featured CueLists";
  platform::Size size = canvas_.MeasureText(text);
  canvas_.TextOut(10, 20, nullptr, text);
  Rect ink = InkBox(canvas_);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + size.width);
  EXPECT_GE(ink.right, 10 + size.width - 3);  // the last glyph ends near the advance
  EXPECT_GE(ink.top, 20);
  EXPECT_LE(ink.bottom, 20 + size.height);
}

TEST_F(TextTest, TextOutClipsToItsRectangleAndOpaqueFillsTheCell) {
  Rect clip{10, 0, 40, 120};
  canvas_.TextOut(0, 0, &clip, u"WWWWWWWWWW");
  Rect ink = InkBox(canvas_);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 40);
  canvas_.FillRect(canvas_.Bounds(), kWhite);
  canvas_.SetBkMode(platform::BackgroundMode::kOpaque);
  canvas_.SetBkColor(platform::MakeColour(0, 0, 255));
  canvas_.TextOut(5, 50, nullptr, u"i");
  EXPECT_EQ(canvas_.GetPixel(5, 50), platform::MakeColour(0, 0, 255));
  EXPECT_EQ(canvas_.GetPixel(5, 50 + font_->Height() - 1), platform::MakeColour(0, 0, 255));
  EXPECT_EQ(canvas_.GetPixel(5, 50 + font_->Height()), kWhite);
}

TEST_F(TextTest, SingleLineEndEllipsisStaysInsideTheRectangle) {
  const std::u16string text = u"A title much too long for the space it is given";
  Rect rect{20, 10, 120, 40};
  canvas_.DrawText(text, rect, platform::kDtSingleLine | platform::kDtEndEllipsis);
  Rect ink = InkBox(canvas_);
  EXPECT_LE(ink.right, 120);
  EXPECT_GT(ink.right, 100);  // most of the width is used
  // Without the ellipsis the text would only be clipped, running to the rectangle's edge.
  auto measure = [this](std::string_view s) { return font_->Measure(s).width; };
  std::string cut = platform::EllipsizeToWidth("A title much too long for the space it is given", 100, measure);
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_LE(measure(cut), 100);
}

TEST_F(TextTest, WordWrapInACentredRectangle) {
  const std::u16string text = u"Search for a song, artist or playlist";
  Rect rect{50, 0, 150, 120};
  int height = canvas_.DrawText(text, rect, platform::kDtCenter | platform::kDtWordBreak);
  EXPECT_GE(height, 3 * font_->Height());  // too wide for one or two lines of 100 pixels
  EXPECT_EQ(height % font_->Height(), 0);
  // Every line is centred on the rectangle's middle.
  for (int line = 0; line < height / font_->Height(); ++line) {
    int left = 1000, right = -1;
    for (int y = line * font_->Height(); y < (line + 1) * font_->Height(); ++y) {
      for (int x = 0; x < 300; ++x) {
        if (canvas_.GetPixel(x, y) != kWhite) {
          left = std::min(left, x);
          right = std::max(right, x + 1);
        }
      }
    }
    ASSERT_GE(right, 0) << line;
    EXPECT_GE(left, 50);
    EXPECT_LE(right, 150);
    EXPECT_NEAR((left + right) / 2.0, 100.0, 3.0) << line;
  }
  Rect calc{50, 0, 150, 0};
  EXPECT_EQ(canvas_.DrawText(text, calc, platform::kDtCenter | platform::kDtWordBreak | platform::kDtCalcRect), height);
  EXPECT_EQ(calc.bottom, height);
}

TEST_F(TextTest, UnicodeBeyondLatinIsDrawnWithRealGlyphs) {
  // A letter DejaVu has draws differently from one it lacks (which becomes a box).
  auto inkOf = [this](const std::u16string& text) {
    canvas_.FillRect(canvas_.Bounds(), kWhite);
    canvas_.TextOut(0, 0, nullptr, text);
    std::vector<platform::Colour> pixels;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) pixels.push_back(canvas_.GetPixel(x, y));
    }
    return pixels;
  };
  auto missing = inkOf(u"\uE000");
  EXPECT_NE(inkOf(u"\u0416"), missing);  // Cyrillic Zhe
  EXPECT_NE(inkOf(u"\u03A9"), missing);  // Greek Omega
  EXPECT_NE(inkOf(u"\u00E9"), inkOf(u"e"));
  // A surrogate pair measures as one character, not two replacement marks.
  EXPECT_EQ(canvas_.MeasureText(u"\U0001D11E").width, font_->Measure("\xF0\x9D\x84\x9E").width);
}

TEST(TextLayoutTest, BreaksLinesAsTheFlagsSay) {
  auto measure = [](std::string_view s) { return static_cast<std::int32_t>(s.size()) * 10; };
  struct Case {
    const char* name;
    const char* text;
    int width, height;
    std::uint32_t flags;
    std::vector<std::string> lines;
  } cases[] = {
      {"plain", "one\ntwo\r\nthree", 100, 100, 0, {"one", "two", "three"}},
      {"single line flattens", "one\ntwo", 100, 100, platform::kDtSingleLine, {"one two"}},
      {"wrap", "aa bb cc dd", 50, 100, platform::kDtWordBreak, {"aa bb", "cc dd"}},
      {"long word keeps its line", "a verylongword b", 50, 100, platform::kDtWordBreak, {"a", "verylongword", "b"}},
      {"ellipsis", "abcdefghij", 60, 100, platform::kDtSingleLine | platform::kDtEndEllipsis, {"abc..."}},
      {"fits: no ellipsis", "abcdef", 60, 100, platform::kDtSingleLine | platform::kDtEndEllipsis, {"abcdef"}},
      {"wrapped overflow ends in ellipsis", "aa bb cc dd ee", 50, 20,
       platform::kDtWordBreak | platform::kDtEndEllipsis, {"aa bb", "cc..."}},
      {"too narrow for anything", "abc", 5, 10, platform::kDtSingleLine | platform::kDtEndEllipsis, {"..."}},
      {"ellipsis never splits a character", "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 70,
       10, platform::kDtSingleLine | platform::kDtEndEllipsis, {"\xc3\xa9\xc3\xa9..."}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::LayoutTextLines(c.text, c.width, c.height, 10, c.flags, measure), c.lines) << c.name;
  }
}

}  // namespace
