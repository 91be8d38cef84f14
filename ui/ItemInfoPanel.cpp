#include "ui/ItemInfoPanel.h"

#include "ui/ViewMetrics.h"

namespace ui {
namespace {

struct FontSpec {
  std::int32_t height;
  std::int32_t weight;
};

// Line corners (QVGA) per orientation: [orientation][line] top-left, then the common
// bottom-right corner.
constexpr platform::Point kItemCorners[2][ItemInfoPanel::kLines + 1] = {
    {{60, 13}, {60, 26}, {60, 39}, {60, 55}, {301, 64}},
    {{17, 52}, {17, 65}, {17, 77}, {17, 92}, {227, 120}},
};
constexpr FontSpec kItemFonts[ItemInfoPanel::kLines] = {{13, 700}, {14, 400}, {16, 700}, {8, 400}};

}  // namespace

int ItemInfoPanel::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  PopupPanel::Create(rects, owner, notifyCookie);
  for (int i = 0; i < kLines; ++i) fonts_[i] = platform::Font::Create(kItemFonts[i].height * Scale(), kItemFonts[i].weight);
  return 1;
}

void ItemInfoPanel::SetTexts(std::u16string_view line1, std::u16string_view line2, std::u16string_view line3,
                             std::u16string_view line4) {
  lines_[0] = CutLine(line1, kMaxLineLength);
  lines_[1] = CutLine(line2, kMaxLineLength);
  lines_[2] = CutLine(line3, kMaxLineLength);
  lines_[3] = CutLine(line4, kMaxLineLength);
}

platform::Rect ItemInfoPanel::LineBox(int i) const { return ScaledBox(kItemCorners[Orientation()][i], kItemCorners[Orientation()][kLines]); }

void ItemInfoPanel::DrawContent(platform::Canvas& dc) {
  DrawIcon(dc, iconIndex);
  for (int i = 0; i < kLines; ++i) {
    DrawTextLine(dc, fonts_[i].get(), lines_[i], LineBox(i), i == 3 ? kFourthLineColour : 0x000000);
  }
}

}  // namespace ui
