#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/text/Font.h"
#include "ui/TextImage.h"
#include "ui/View.h"

namespace ui {

// The band under the tab bar that names what a screen shows: a stretched strip picture with
// a bold grey title over it.
class TitleStrip : public View {
 public:
  static constexpr std::size_t kMaxTitleLength = 255;
  static constexpr platform::Colour kTitleColour = 0xB3B3B3;

  // The View create, then the strip picture: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Keeps at most kMaxTitleLength characters.
  void SetTitle(std::u16string_view title);
  const std::u16string& Title() const { return title_; }

  // Up / Down clear the focus and are not consumed; nothing else is consumed.
  bool OnKey(std::uint32_t virtualKey) override { return StandardKey(virtualKey); }
  bool OnTap(std::int32_t, std::int32_t) override { return false; }
  void Paint(platform::Canvas& dc) override;

 private:
  std::unique_ptr<platform::Surface> strip_;
  std::unique_ptr<platform::Font> font_;
  std::u16string title_;
  TextImage titleImage_;
};

}  // namespace ui
