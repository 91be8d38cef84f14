#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/text/Font.h"
#include "ui/PopupPanel.h"

namespace ui {

// A popup panel with its icon and four text lines describing an item: three black (bold,
// regular, large bold) and a small green fourth.
class ItemInfoPanel : public PopupPanel {
 public:
  static constexpr int kLines = 4;
  static constexpr std::size_t kMaxLineLength = 255;
  static constexpr platform::Colour kFourthLineColour = 0x78B337;

  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  void SetTexts(std::u16string_view line1, std::u16string_view line2, std::u16string_view line3,
                std::u16string_view line4);
  const std::u16string& Line(int i) const { return lines_[i]; }
  platform::Rect LineBox(int i) const;
  void DrawContent(platform::Canvas& dc) override;

  std::size_t iconIndex = 2;

 private:
  std::u16string lines_[kLines];
  std::unique_ptr<platform::Font> fonts_[kLines];
};

}  // namespace ui
