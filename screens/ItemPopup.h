#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "screens/ItemPopupContent.h"
#include "ui/ItemInfoPanel.h"
#include "screens/PopupScreen.h"
#include "ui/PopupList.h"
#include "ui/ScreenText.h"
#include "ui/ThemeColour.h"

namespace screens {

// The popup over a list screen's chosen row: the item's floating icon and four lines (its
// kind, a line that depends on the kind, its title and its location) and the actions the
// screen offers for it. Each opening the screen sets the item and the entries
// (FillItemPopup); the panel is composed over that screen at once. An entry chosen (Enter or
// a tap) posts its command (popup, 0) to the main window, which closes the popup and acts.
class ItemPopup : public PopupScreen, public ui::ScreenText, public ItemPopupContent {
 public:
  // The floating icons, by kind - 1.
  static const char* const kIcons[3];

  ItemPopup() : PopupScreen(panel_, list_, nullptr) {}

  void SetThemeColourSource(ui::ThemeColourSource source) { panel_.SetThemeColourSource(std::move(source)); }
  // The panel with its pictures and the three icons, then the list: 1, 1001 or 1002.
  int Create(platform::Window& owner) override;

  // ItemPopupContent. SetItem takes what it shows from the record at once (the item may go
  // away after the call), selects the first entry and composes the panel; an item of an
  // unknown kind leaves the lines as they were.
  void SetItem(const catalogue::ItemRef& item) override;
  void ClearEntries() override;
  // No entries, no lines and no icon: what an opening shows when the screen has no item.
  // The panel is composed when the popup shows, unless SetItem composed it since.
  void Clear();
  void AddEntry(const char* text, std::uint32_t command) override;

  // While active: layer 2 the panel (composed again first when it went stale); the list
  // always.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  // 1027 / 1029 compose the panel again at the next paint; 1325 / 1326 turn the list a page.
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // The "Cancel" soft key, then the panel (composed first after Clear) and the list.
  void Show() override;
  // The four lines as text lines, then the entries shown.
  void AppendScreenText(std::vector<std::string>& lines) const override;

  const ui::ItemInfoPanel& Panel() const { return panel_; }
  const ui::PopupList& List() const { return list_; }

 private:
  ui::ItemInfoPanel panel_;
  ui::PopupList list_;
};

// The entry lines of a popup's list as the screen text shows them: "entry <n> [selected]
// [current] <label>" for the rows shown.
void AppendEntryLines(const ui::PopupList& list, std::int32_t currentIndex, std::vector<std::string>& lines);

}  // namespace screens
