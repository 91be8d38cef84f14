#include "screens/PopupScreen.h"

#include "platform/TextCodec.h"
#include "screens/WindowMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// The panel covers the application window above the mini player (QVGA).
constexpr platform::Rect kPanelRect[2] = {{0, 0, 320, 189}, {0, 0, 240, 268}};
constexpr platform::Point kIconPos[2] = {{10, 15}, {97, 9}};

}  // namespace

const PopupScreen::Pictures PopupScreen::kListPanel = {"\\popup_panel\\Horizontal_PopUp_Panel.png",
                                                   "\\popup_panel\\Vertical_PopUp_Panel.png",
                                                   {nullptr, nullptr, nullptr}};
const PopupScreen::Pictures PopupScreen::kItemPanel = {
    "\\popup_panel\\Horizontal_PopUp_Panel.png",
    "\\popup_panel\\Vertical_PopUp_Panel.png",
    {"\\popup_panel\\Panel_Floating_AudioCue_Icon.png", "\\popup_panel\\Panel_Floating_CueList_Icon.png",
     "\\popup_panel\\Panel_Floating_WikipediaCue_Icon.png"}};
const PopupScreen::Pictures PopupScreen::kNewSearchPanel = {"\\popup_panel\\Horizontal_NewSearch_PopUp_Panel.png",
                                                            "\\popup_panel\\Vertical_NewSearch_PopUp_Panel.png",
                                                            {"\\popup_panel\\New_Search_MagGlass_Icon.png", nullptr, nullptr}};

PopupScreen::PopupScreen(const Pictures& pictures, std::u16string title) : pictures_(pictures) {
  panel_.SetTexts(title, u"", u"");
}

int PopupScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  const std::int32_t s = ui::Scale();
  platform::Rect rects[2];
  for (int o = 0; o < 2; ++o) {
    rects[o] = platform::Rect{kPanelRect[o].left * s, kPanelRect[o].top * s, kPanelRect[o].right * s, kPanelRect[o].bottom * s};
    panel_.iconPos[o] = platform::Point{kIconPos[o].x * s, kIconPos[o].y * s};
  }
  int result = panel_.Create(rects, owner, reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this)));
  if (result == 1) result = panel_.LoadPanelImages(pictures_.landscapePanel, pictures_.portraitPanel);
  for (const char* icon : pictures_.icons) {
    if (icon && result == 1) result = panel_.AddIcon(icon);
  }
  return result;
}

void PopupScreen::SetTitle(std::u16string_view title) {
  panel_.SetTexts(title, panel_.Line(1), panel_.Line(2));
  needsCompose_ = true;
}

void PopupScreen::Paint(platform::Canvas& dc, bool, std::uint32_t) {
  if (!active) return;
  if (needsCompose_) {
    panel_.Compose();
    needsCompose_ = false;
  }
  panel_.Draw(dc);
}

std::intptr_t PopupScreen::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == msg::kThemeChanged || message == msg::kLayoutChanged) needsCompose_ = true;
  return 0;
}

void PopupScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) { panel_.OnKey(virtualKey); }

bool PopupScreen::OnTap(std::int32_t x, std::int32_t y) { return panel_.OnTap(x, y); }

void PopupScreen::Show() {
  if (window) window->SetMenuBar(menubar::kPopup);
  panel_.Compose();
  needsCompose_ = false;
  panel_.Show();
  ui::Screen::Show();
}

void PopupScreen::Hide() {
  panel_.Hide();
  ui::Screen::Hide();
}

void PopupScreen::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("title " + platform::Utf16ToUtf8(panel_.Line(0)));
}

}  // namespace screens
