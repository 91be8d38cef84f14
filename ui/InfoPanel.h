#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/text/Font.h"
#include "ui/PopupPanel.h"

namespace ui {

// A popup panel with its icon and three black text lines (bold, regular, bold), each ending
// in an ellipsis when it does not fit.
class InfoPanel : public PopupPanel {
 public:
  static constexpr int kLines = 3;
  static constexpr std::size_t kMaxLineLength = 255;

  // The panel create; makes the line fonts. Returns 1.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Each line keeps at most kMaxLineLength characters.
  void SetTexts(std::u16string_view line1, std::u16string_view line2, std::u16string_view line3);
  const std::u16string& Line(int i) const { return lines_[i]; }
  // Where line i is drawn in the current orientation (window coordinates).
  platform::Rect LineBox(int i) const;
  void DrawContent(platform::Canvas& dc) override;

  std::size_t iconIndex = 0;

 private:
  std::u16string lines_[kLines];
  std::unique_ptr<platform::Font> fonts_[kLines];
};

}  // namespace ui
