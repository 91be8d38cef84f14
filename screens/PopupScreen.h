#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "ui/PageControl.h"
#include "ui/PopupList.h"
#include "ui/PopupPanel.h"
#include "ui/Screen.h"

namespace screens {

// What the item popup, the list popup and the new-search panel share: a floating panel with
// a list of entries (and maybe a page control and more) over it, shown and hidden together
// under the popup soft-key bar; the keys of the list; the panel composed over the window's
// picture again after an Invalidate (1027 / 1029), at the next paint.
class PopupScreen : public ui::Screen {
 public:
  // The popup bar, then the panel, the list, the page control and the other controls.
  void Show() override;
  void Hide() override;
  // Enter chooses the selected entry; Up / Down move the selection, paging the list (and the
  // page control with it) when it leaves the rows shown.
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  void Invalidate() override { needsCompose_ = true; }
  // The panel and the page control on the secondary layer, the list on the main one.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;

 protected:
  // The subclass's panel, list, page control (may be null) and other controls; they are not
  // constructed yet, only kept.
  PopupScreen(ui::PopupPanel& panel, ui::PopupList& list, ui::PageControl* pages,
              std::initializer_list<ui::View*> others = {});

  // The panel, the controls in their order, then the screen itself.
  void ShowControls();
  std::uintptr_t Cookie() { return reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this)); }
  // Keeps the window, creates the panel at its QVGA rectangles with its two pictures:
  // 1, 1001 or 1002.
  int CreatePanel(platform::Window& owner, const platform::Rect (&qvga)[2], const char* landscapeImage,
                  const char* portraitImage);
  // The popups' page control at its QVGA rectangles: paging buttons, no background, black
  // page text. 1, 1001 or 1002.
  int CreatePageControl(ui::PageControl& pages, platform::Window& owner, const platform::Rect (&qvga)[2]);
  // The panel's icon position and the list at their QVGA values; the list draws no background.
  // 1, 1001 or 1002.
  int CreateList(platform::Window& owner, const platform::Rect (&qvgaList)[2], const platform::Point (&qvgaIcon)[2]);
  // Composes the panel when an Invalidate asked for it.
  void ComposeIfNeeded();
  // Paints these layers on the window now.
  void Repaint(std::uint32_t layers);

  bool needsCompose_ = false;

 private:
  ui::PopupPanel& panel_;
  ui::PopupList& list_;
  ui::PageControl* pages_;
  std::vector<ui::View*> controls_;  // the list, the page control, the others
};

}  // namespace screens
