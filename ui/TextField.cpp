#include "ui/TextField.h"

#include "ui/ControlMessages.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace ui {
namespace {

constexpr std::int32_t kEditHeight = 15;
constexpr std::int32_t kEditInset = 7;

}  // namespace

int TextField::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  notifyMessage = msg::kQueryEntered;
  edit = &owner.CreateEditField();
  edit->SetLimit(kMaxLength);
  edit->SetKeyHook([this](std::uint32_t key, std::intptr_t keyData) { return OnKey(key, keyData); });
  Reposition();
  int result = LoadResourcePng(fieldImage[0], u"\\popup_panel\\Horizontal_PopUp_NewSearch_Query_Field.png");
  if (result == 1) result = LoadResourcePng(fieldImage[1], u"\\popup_panel\\Vertical_PopUp_NewSearch_Query_Field.png");
  return result;
}

bool TextField::OnKey(std::uint32_t virtualKey, std::intptr_t keyData) {
  switch (virtualKey) {
    case platform::vk::kReturn:
      Draw();
      if (edit) edit->SetSelection(0, -1);
      Notify(notifyMessage, 0);
      return false;
    case platform::vk::kUp:
    case platform::vk::kDown:
      if (window) window->Post(platform::wm::kKeyDown, virtualKey, keyData);
      return true;
    default:
      return false;
  }
}

void TextField::Hide() {
  visible = false;
  if (edit) edit->Show(false);
  focused = false;
  if (window) window->SetFocus(nullptr);
}

void TextField::Show() {
  visible = true;
  Draw();
  if (!edit) return;
  edit->Show(true);
  focused = true;
  edit->SetSelection(0, -1);
  if (window) window->SetFocus(edit);
}

void TextField::Paint(platform::Canvas& dc) {
  fieldImage[Orientation()].DrawAlpha(dc, 0, 0);
  if (edit) edit->Show(true);
}

platform::Rect TextField::EditRect() const {
  const std::int32_t s = Scale();
  const platform::Rect& r = CurrentRect();
  return platform::Rect::FromSize(r.left + kEditInset * s, r.top + (r.Height() - kEditHeight * s) / 2,
                                  r.Width() - 2 * kEditInset * s, kEditHeight * s);
}

void TextField::Reposition() {
  if (edit) edit->SetRect(EditRect());
}

}  // namespace ui
