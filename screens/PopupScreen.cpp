#include "screens/PopupScreen.h"

#include "platform/window/Messages.h"
#include "screens/WindowMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {

PopupScreen::PopupScreen(ui::PopupPanel& panel, ui::PopupList& list, ui::PageControl* pages,
                         std::initializer_list<ui::View*> others)
    : panel_(panel), list_(list), pages_(pages) {
  controls_.push_back(&list);
  if (pages) controls_.push_back(pages);
  controls_.insert(controls_.end(), others.begin(), others.end());
}

void PopupScreen::Show() {
  if (window) window->SetMenuBar(menubar::kPopup);
  ShowControls();
}

void PopupScreen::ShowControls() {
  panel_.Show();
  for (ui::View* control : controls_) control->Show();
  ui::Screen::Show();
}

void PopupScreen::Hide() {
  panel_.Hide();
  for (ui::View* control : controls_) control->Hide();
  ui::Screen::Hide();
}

int PopupScreen::CreatePanel(platform::Window& owner, const platform::Rect (&qvga)[2], const char* landscapeImage,
                             const char* portraitImage) {
  ui::Screen::Create(owner);
  platform::Rect rects[2];
  ui::ScaleRects(qvga, rects);
  const int result = panel_.Create(rects, owner, Cookie());
  return result == 1 ? panel_.LoadPanelImages(landscapeImage, portraitImage) : result;
}

int PopupScreen::CreatePageControl(ui::PageControl& pages, platform::Window& owner, const platform::Rect (&qvga)[2]) {
  platform::Rect rects[2];
  ui::ScaleRects(qvga, rects);
  int result = pages.Create(rects, owner, Cookie());
  if (result == 1) {
    result = pages.SetButtonImages("\\popup_panel\\PopUp_Panel_Paging_Button_Normal.png",
                                   "\\popup_panel\\PopUp_Panel_Paging_Button_Clickdown.png");
  }
  if (result != 1) return result;
  pages.noBackground = true;
  pages.SetColors(ui::PageControl::kPageColours, {0x000000, 0x000000});
  return 1;
}

void PopupScreen::Paint(platform::Canvas& dc, bool, std::uint32_t layers) {
  if (!active) return;
  ComposeIfNeeded();
  if (layers & kLayerSecondary) {
    panel_.Draw(dc);
    if (pages_) pages_->Draw(dc);
  }
  if (layers & kLayerMain) list_.Draw(dc);
}

int PopupScreen::CreateList(platform::Window& owner, const platform::Rect (&qvgaList)[2],
                            const platform::Point (&qvgaIcon)[2]) {
  const std::int32_t s = ui::Scale();
  for (int o = 0; o < 2; ++o) panel_.iconPos[o] = platform::Point{qvgaIcon[o].x * s, qvgaIcon[o].y * s};
  platform::Rect rects[2];
  ui::ScaleRects(qvgaList, rects);
  const int result = list_.Create(rects, owner, Cookie());
  list_.noBackground = true;
  needsCompose_ = false;
  return result;
}

void PopupScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) {
  if (virtualKey == platform::vk::kReturn) {
    list_.OnKey(virtualKey);
    return;
  }
  if (virtualKey != platform::vk::kUp && virtualKey != platform::vk::kDown) return;
  if (!list_.OnKey(virtualKey)) return;
  // When the selection has left the rows shown, the list turns a page towards it.
  const std::int32_t rows = list_.rowsPerPage[ui::Orientation()];
  if (list_.selected < list_.firstRow) {
    list_.PreviousRows();
  } else if (list_.selected >= list_.firstRow + rows) {
    list_.NextRows();
  } else {
    Repaint(kLayerMain);
    return;
  }
  if (pages_) pages_->currentPage = list_.selected / rows;
  Repaint(kLayerAll);
}

void PopupScreen::ComposeIfNeeded() {
  if (!needsCompose_) return;
  panel_.Compose();
  needsCompose_ = false;
}

void PopupScreen::Repaint(std::uint32_t layers) {
  if (!window) return;
  platform::Canvas dc = window->GetDC();
  Paint(dc, false, layers);
}

}  // namespace screens
