#include "ui/InfoPanel.h"

#include <algorithm>

#include "platform/TextCodec.h"
#include "ui/ViewMetrics.h"

namespace ui {
namespace {

struct FontSpec {
  std::int32_t height;
  std::int32_t weight;
};

// Line corners (QVGA) per orientation: [orientation][line] top-left, then the common
// bottom-right corner.
constexpr platform::Point kInfoCorners[2][InfoPanel::kLines + 1] = {
    {{60, 13}, {60, 27}, {158, 26}, {301, 64}},
    {{16, 51}, {16, 64}, {16, 77}, {224, 96}},
};
// Room kept between the second line and a third line on its row (QVGA).
constexpr std::int32_t kLineGap = 4;
constexpr FontSpec kInfoFonts[InfoPanel::kLines] = {{13, 700}, {13, 400}, {14, 700}};

}  // namespace

int InfoPanel::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  PopupPanel::Create(rects, owner, notifyCookie);
  for (int i = 0; i < kLines; ++i) fonts_[i] = platform::Font::Create(kInfoFonts[i].height * Scale(), kInfoFonts[i].weight);
  return 1;
}

void InfoPanel::SetTexts(std::u16string_view line1, std::u16string_view line2, std::u16string_view line3) {
  lines_[0] = CutLine(line1, kMaxLineLength);
  lines_[1] = CutLine(line2, kMaxLineLength);
  lines_[2] = CutLine(line3, kMaxLineLength);
}

platform::Rect InfoPanel::LineBox(int i) const { return ScaledBox(kInfoCorners[Orientation()][i], kInfoCorners[Orientation()][kLines]); }

void InfoPanel::DrawContent(platform::Canvas& dc) {
  DrawIcon(dc, iconIndex);
  for (int i = 0; i < kLines; ++i) {
    platform::Rect box = LineBox(i);
    // In landscape the third line continues the second one's row: a second line wider than
    // the room before it pushes it right rather than under its text.
    if (i == 2 && box.left > LineBox(1).left && fonts_[1] && !lines_[1].empty()) {
      const std::int32_t end = LineBox(1).left + fonts_[1]->Measure(platform::Utf16ToUtf8(lines_[1])).width;
      box.left = std::max(box.left, end + kLineGap * Scale());
    }
    DrawTextLine(dc, fonts_[i].get(), lines_[i], box, 0x000000);
  }
}

}  // namespace ui
