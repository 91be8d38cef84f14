#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/InfoPanel.h"
#include "ui/PageControl.h"
#include "screens/PopupScreen.h"
#include "ui/PopupList.h"
#include "ui/ScreenText.h"
#include "ui/TextField.h"
#include "ui/ThemeColour.h"

namespace screens {

// The popup that starts a search: the tinted "New Search" panel with its prompt, the query
// field (at most 80 characters, kept between openings) and four entries that post 1224 with
// the result kinds to search (7 all, 1 AudioCues, 2 CueLists, 4 TextCues). The entry chosen
// last stays selected when the panel opens again. Enter in the field chooses the selected
// entry; Up and Down in the field move the selection without moving the caret.
class NewSearchPanel : public PopupScreen, public ui::ScreenText {
 public:
  struct Entry {
    const char* text;
    std::uint32_t kinds;
  };
  static const Entry kEntries[4];

  NewSearchPanel() : PopupScreen(panel_, list_, &pageControl_, {&textField_}) {}

  void SetThemeColourSource(ui::ThemeColourSource source) { panel_.SetThemeColourSource(std::move(source)); }

  // The panel with its pictures and icon, the page control, the query field and the list:
  // 1, 1001 or 1002.
  int Create(platform::Window& owner) override;
  // While active: layer 2 the panel and the page control, 1 the list; the query field
  // always. The panel is composed again first when it went stale.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  // 1934 (Enter in the field) chooses the selected entry; 1324 is Enter to the field;
  // 1325 / 1326 turn the list a page; 1027 / 1029 compose the panel again.
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // Show: the "Cancel" soft key, then the panel, the list, the page control and the query
  // field (which takes the keyboard focus with its text selected).
  // The panel is composed again at the next paint, the query field placed anew.
  void Invalidate() override;
  // title, text, field and entry lines.
  void AppendScreenText(std::vector<std::string>& lines) const override;

  // What the main window does each time it opens the panel: the texts, the four entries and
  // Prepare.
  void Fill();
  // Empties the list but keeps its selected entry and first row.
  void ClearEntries();
  void AddEntry(const char* text, std::uint32_t command, std::uint32_t value);
  // After the entries: the first time ever, entry 0 is selected; the page control starts
  // over; the panel is composed over what the window shows.
  void Prepare();
  // The query typed, at most kMaxQueryRead characters.
  static constexpr std::size_t kMaxQueryRead = 255;
  std::u16string Query() const;

  const ui::PopupList& List() const { return list_; }
  const ui::TextField& Field() const { return textField_; }

 private:
  ui::InfoPanel panel_;
  ui::PopupList list_;
  ui::PageControl pageControl_;
  ui::TextField textField_;
  bool firstPrepare_ = true;
};

}  // namespace screens
