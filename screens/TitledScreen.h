#pragma once

#include <string>

#include "ui/Screen.h"
#include "ui/ScreenText.h"
#include "ui/TitleStrip.h"

namespace screens {

// A tab's screen between the tab bar and the mini player: a white page under a title strip.
// The list screens build their lists, page controls and texts on it.
class TitledScreen : public ui::Screen, public ui::ScreenText {
 public:
  explicit TitledScreen(std::u16string title) : title_(std::move(title)) {}

  // Creates the title strip: 1, 1001 or 1002.
  int Create(platform::Window& owner) override;
  // While active: the page and the title strip.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Show() override;
  void Hide() override;
  void Invalidate() override {}
  void AppendScreenText(std::vector<std::string>& lines) const override;

  // The page between the tab bar and the mini player, in window coordinates.
  static platform::Rect PageArea();

 protected:
  ui::TitleStrip titleStrip_;

 private:
  std::u16string title_;
};

}  // namespace screens
