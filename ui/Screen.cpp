#include "ui/Screen.h"

namespace ui {

Screen::~Screen() = default;

int Screen::Create(platform::Window& owner) {
  window = &owner;
  return 1;
}

bool Screen::OnPointerDown(std::int32_t, std::int32_t) { return false; }
void Screen::Show() { active = true; }
void Screen::Hide() { active = false; }
void Screen::FillItemPopup(Screen&) {}
void Screen::PageCommand(int) {}

}  // namespace ui
