#pragma once

#include <cstdint>

#include "platform/window/EditField.h"
#include "ui/STScreenBuffer.h"
#include "ui/View.h"

namespace ui {

// The query field of the new-search panel: a field picture with the platform's single-line
// edit field laid over it (at most kMaxLength characters). The edit field hands every key
// down to OnKey first: Enter redraws the field, selects all its text and posts
// notifyMessage (cookie, 0), then still reaches the edit field; Up and Down go to the main
// window as key-down messages (so the popup moves its list) and never reach the edit field.
class TextField : public View {
 public:
  static constexpr std::size_t kMaxLength = 80;

  // The View create; makes the edit field (hidden, empty, limited to kMaxLength) and loads
  // the landscape then the portrait field picture: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  bool OnKey(std::uint32_t virtualKey) override { return OnKey(virtualKey, platform::kKeyDownData); }
  bool OnKey(std::uint32_t virtualKey, std::intptr_t keyData);
  // Hides the edit field and gives the keyboard focus back to the window.
  void Hide() override;
  // Draws the field, shows the edit field with all its text selected and gives it the focus.
  void Show() override;
  // The field picture, then the edit field is shown.
  void Paint(platform::Canvas& dc) override;
  // Taps inside reach the edit field directly.
  bool OnTap(std::int32_t, std::int32_t) override { return false; }
  // Moves the edit field to its place for the current orientation, without repainting.
  void Reposition();
  // That place: 7·s in from each side, 15·s high, centred vertically (window coordinates).
  platform::Rect EditRect() const;

  platform::EditField* edit = nullptr;
  STScreenBuffer fieldImage[2];
  std::uint32_t notifyMessage = 0;
};

}  // namespace ui
