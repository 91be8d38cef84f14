#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/CheckList.h"
#include "ui/InfoPanel.h"
#include "screens/PopupScreen.h"
#include "ui/PageControl.h"
#include "ui/ScreenText.h"
#include "ui/ThemeColour.h"

namespace core {
class AppSettings;
}  // namespace core

namespace screens {

// The popup that lists the colour themes (each entry posts 1929 with the theme's index) or
// the player skins found on disk ("None" posts 1930 with -1, each skin 1930 with its index
// into the skin list). The panel shows what the list is for, "Currently Selected:" and the
// current choice with its sample icon or thumbnail; a bullet marks the current entry. The
// list pages inside itself, with a page control above it.
class ListPopup : public PopupScreen, public ui::ScreenText {
 public:
  struct Theme {
    const char* name;
    const char* sampleIcon;
  };
  static const Theme kThemes[10];

  ListPopup() : PopupScreen(panel_, list_, &pageControl_) {}

  void SetThemeColourSource(ui::ThemeColourSource source) { panel_.SetThemeColourSource(std::move(source)); }
  // The panel with its pictures, the page control and the list: 1, 1001 or 1002.
  int Create(platform::Window& owner) override;

  // Fills the popup with the ten themes, the current one (settings.overlayColor) marked.
  void FillThemes(const core::AppSettings& settings);
  // Fills the popup with "None" and the skins of `skinsFolder` (FindSkins). skinNames
  // becomes the skins' names in entry order, which the entries' values index.
  void FillSkins(const core::AppSettings& settings, const std::string& skinsFolder, std::vector<std::u16string>& skinNames);

  // The steps the fills are made of.
  void SetTexts(std::u16string_view line1, std::u16string_view line2, std::u16string_view line3);
  // No entries, the first row and entry, the page control back to its start.
  void ClearEntries();
  // The panel's only icon; a picture that cannot be loaded leaves the icon area empty.
  void SetIcon(const char* name);
  void AddEntry(const char* text, std::uint32_t command, std::int32_t value);
  void AddEntry(std::u16string_view text, std::uint32_t command, std::int32_t value);
  void MarkCurrent(std::string_view name) { list_.MarkCurrent(name); }
  // Selects the first entry and composes the panel over what the window shows.
  void Prepare();

  // While active: layer 2 the panel and the page control, layer 1 the list.
  // 1027 / 1029 compose the panel again; 1325 / 1326 turn the page by key, 1328 / 1327 by
  // the page buttons (the selection keeps its row).
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // The page control first, then the list.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // The three lines as text lines, the page line, then the entries shown ("current" on the
  // bulleted one).
  void AppendScreenText(std::vector<std::string>& lines) const override;

  const ui::InfoPanel& Panel() const { return panel_; }
  const ui::CheckList& List() const { return list_; }
  const ui::PageControl& Pages() const { return pageControl_; }

 private:
  void TurnPage(bool next, bool keepRow);

  ui::InfoPanel panel_;
  ui::CheckList list_;
  ui::PageControl pageControl_;
};

}  // namespace screens
