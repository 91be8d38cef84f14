#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/text/Font.h"
#include "ui/ListView.h"
#include "ui/STScreenBuffer.h"
#include "ui/TextImage.h"

namespace gallery {

// One row of the sample list: a small info line above a bold title.
struct SampleRow {
  std::u16string info;
  std::u16string title;
};

// A list control as the tab screens draw theirs: the selected row on the dark band, the
// others on the light line, an icon and two text lines a row. The rendered texts are kept
// per row shown, so a repaint of the same page renders nothing.
class SampleList : public ui::ListViewOf<SampleRow> {
 public:
  static constexpr platform::Colour kTextColour = 0x790000;
  static constexpr platform::Colour kSelectedTextColour = 0xFFFFFF;

  // The View create, then the icons and the two strips: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  void DrawRows(platform::Canvas& dc) override;

 private:
  static constexpr std::size_t kMaxShownRows = 8;

  ui::STScreenBuffer normalIcon_;
  ui::STScreenBuffer selectedIcon_;
  std::unique_ptr<platform::Surface> selectedBand_;
  std::unique_ptr<platform::Surface> lineStrip_;
  std::unique_ptr<platform::Font> infoFont_;
  std::unique_ptr<platform::Font> titleFont_;
  std::array<ui::TextImage, kMaxShownRows> infoTexts_;
  std::array<ui::TextImage, kMaxShownRows> titleTexts_;
};

}  // namespace gallery
