#include "ui/PopupPanel.h"

#include "platform/TextCodec.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace ui {

int PopupPanel::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  return View::Create(rects, owner, notifyCookie);
}

int PopupPanel::LoadPanelImages(const char* landscapeName, const char* portraitName) {
  int result = LoadResourcePng(panelImage[0], landscapeName);
  if (result == 1) result = LoadResourcePng(panelImage[1], portraitName);
  if (result != 1) return result;
  const std::int32_t s = Scale();
  tintRect[0] = platform::Rect{11 * s, 37 * s, 309 * s, 175 * s};
  tintRect[1] = platform::Rect{11 * s, 123 * s, 228 * s, 254 * s};
  return 1;
}

int PopupPanel::AddIcon(const char* name) {
  auto icon = std::make_unique<STScreenBuffer>();
  const int result = LoadResourcePng(*icon, name);
  if (result != 1) return result;
  icons.push_back(std::move(icon));
  return 1;
}

int PopupPanel::SetIcon(const char* name) {
  icons.clear();
  return AddIcon(name);
}

void PopupPanel::DrawIcon(platform::Canvas& dc, std::size_t index) {
  if (index >= icons.size()) return;
  const platform::Point& at = iconPos[Orientation()];
  icons[index]->DrawAlpha(dc, at.x, at.y);
}

void PopupPanel::Compose() {
  if (!window) return;
  const int o = Orientation();
  platform::Canvas windowDC = window->GetDC();
  if (!composed.CaptureFrom(windowDC, 0, 0, width[o], height[o])) return;
  platform::Canvas* dc = composed.GetDC();
  if (!dc) return;
  const platform::Brush oldBrush =
      dc->SelectBrush(platform::Brush{platform::Brush::Style::kSolid, themeColour_ ? themeColour_() : 0});
  dc->Rectangle(tintRect[o]);
  dc->SelectBrush(oldBrush);
  panelImage[o].DrawAlpha(*dc, rect[o].left, 0);
  DrawContent(*dc);
  composed.ReleaseDC();
}

void PopupPanel::Paint(platform::Canvas& dc) { composed.BlitTo(dc, 0, 0); }

void PopupPanel::PaintArea(platform::Canvas& windowDC, const platform::Rect& area) {
  composed.ReleaseDC();
  platform::Surface* picture = composed.Bitmap();
  if (!picture) return;
  const platform::Rect& r = CurrentRect();
  const platform::Canvas dc(*picture);
  windowDC.BitBlt(area.left, area.top, area.Width(), area.Height(), dc, area.left - r.left, area.top - r.top);
}

void PopupPanel::DrawTextLine(platform::Canvas& dc, const platform::Font* font, const std::u16string& text,
                              platform::Rect box, platform::Colour colour) {
  const platform::Font* oldFont = dc.SelectFont(font);
  const platform::BackgroundMode oldMode = dc.SetBkMode(platform::BackgroundMode::kTransparent);
  const platform::Colour oldColour = dc.SetTextColor(colour);
  dc.DrawText(text, box, platform::kDtEndEllipsis);
  dc.SetTextColor(oldColour);
  dc.SetBkMode(oldMode);
  dc.SelectFont(oldFont);
}

platform::Rect PopupPanel::ScaledBox(platform::Point topLeft, platform::Point bottomRight) {
  const std::int32_t s = Scale();
  return platform::Rect{topLeft.x * s, topLeft.y * s, bottomRight.x * s, bottomRight.y * s};
}

std::u16string PopupPanel::CutLine(std::u16string_view text, std::size_t maxLength) {
  return std::u16string(text.substr(0, platform::Utf16PrefixLength(text, maxLength)));
}

}  // namespace ui
