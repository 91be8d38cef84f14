#pragma once

#include "screens/AboutView.h"
#include "ui/Screen.h"
#include "ui/ScreenText.h"

namespace screens {

// The About popup: the About picture with the credits and the version, over the whole
// application window, until "Cancel". Keys and taps do nothing on it.
class AboutScreen : public ui::Screen, public ui::ScreenText {
 public:
  // Creates the view over the picture area: its result (1, 1001 or 1002).
  int Create(platform::Window& owner) override;
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  // 1027 and 1029: the view's layout (nothing to redo).
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // Enter and the arrows go to the view, which ignores them.
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  bool OnTap(std::int32_t x, std::int32_t y) override { return view_.OnTap(x, y); }
  // Installs the "Cancel" soft key and shows the view.
  void Show() override;
  void Hide() override;
  void Invalidate() override {}
  void AppendScreenText(std::vector<std::string>& lines) const override;

 private:
  AboutView view_;
};

}  // namespace screens
