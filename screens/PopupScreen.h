#pragma once

#include <string>

#include "ui/InfoPanel.h"
#include "ui/Screen.h"
#include "ui/ScreenText.h"

namespace screens {

// A popup over the current tab: the floating panel composed over what the window shows, with
// its icon and title, and the "Cancel" soft key while it is open. The item popup, the list
// popup and the new-search panel are made of it; their entries and fields come with each
// popup's own work.
class PopupScreen : public ui::Screen, public ui::ScreenText {
 public:
  struct Pictures {
    const char* landscapePanel;
    const char* portraitPanel;
    // Up to three icons; unused slots are null.
    const char* icons[3];
  };
  static const Pictures kListPanel;
  static const Pictures kItemPanel;
  static const Pictures kNewSearchPanel;

  PopupScreen(const Pictures& pictures, std::u16string title);

  // Loads the panel pictures and icons: 1, 1001 or 1002.
  int Create(platform::Window& owner) override;
  void SetThemeColourSource(ui::ThemeColourSource source) { panel_.SetThemeColourSource(std::move(source)); }
  void SetTitle(std::u16string_view title);

  // While active: the composed panel, composed again after a theme or layout change.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  // 1027 and 1029 compose the panel again at the next paint.
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // Installs the "Cancel" soft key, composes the panel over the window and shows it.
  void Show() override;
  void Hide() override;
  void Invalidate() override { needsCompose_ = true; }
  void AppendScreenText(std::vector<std::string>& lines) const override;

 private:
  const Pictures& pictures_;
  ui::InfoPanel panel_;
  bool needsCompose_ = true;
};

}  // namespace screens
