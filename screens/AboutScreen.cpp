#include "screens/AboutScreen.h"

#include "platform/TextCodec.h"
#include "screens/SplashPicture.h"
#include "screens/WindowMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {

int AboutScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  const std::int32_t s = ui::Scale();
  platform::Rect rects[2];
  for (int o = 0; o < 2; ++o) {
    rects[o] = platform::Rect{0, 0, kSplashPictureArea[o].width * s, kSplashPictureArea[o].height * s};
  }
  return view_.Create(rects, owner, reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this)));
}

void AboutScreen::Paint(platform::Canvas& dc, bool, std::uint32_t) {
  if (active) view_.Draw(dc);
}

std::intptr_t AboutScreen::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == msg::kThemeChanged || message == msg::kLayoutChanged) view_.UpdateLayout();
  return 0;
}

void AboutScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) {
  if (virtualKey == platform::vk::kReturn || (virtualKey >= platform::vk::kLeft && virtualKey <= platform::vk::kDown)) {
    view_.OnKey(virtualKey);
  }
}

void AboutScreen::Show() {
  if (window) window->SetMenuBar(menubar::kPopup);
  view_.Show();
  ui::Screen::Show();
}

void AboutScreen::Hide() {
  view_.Hide();
  ui::Screen::Hide();
}

void AboutScreen::AppendScreenText(std::vector<std::string>& lines) const {
  for (const AboutView::Credit& credit : AboutView::Credits()) {
    lines.push_back("text " + platform::Utf16ToUtf8(credit.role) + " " + platform::Utf16ToUtf8(credit.name));
  }
  lines.push_back("text " + platform::Utf16ToUtf8(AboutView::VersionLine()));
  lines.push_back("text " + platform::Utf16ToUtf8(AboutView::Notice()));
}

}  // namespace screens
