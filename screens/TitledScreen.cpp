#include "screens/TitledScreen.h"

#include "platform/TextCodec.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// QVGA rectangles per orientation (landscape, portrait).
constexpr platform::Rect kTitleStrip[2] = {{0, 20, 320, 67}, {0, 20, 240, 67}};
constexpr platform::Rect kPage[2] = {{0, 20, 320, 166}, {0, 20, 240, 232}};

platform::Rect Scaled(const platform::Rect& r) {
  const std::int32_t s = ui::Scale();
  return platform::Rect{r.left * s, r.top * s, r.right * s, r.bottom * s};
}

}  // namespace

int TitledScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  const platform::Rect rects[2] = {Scaled(kTitleStrip[0]), Scaled(kTitleStrip[1])};
  const int result = titleStrip_.Create(rects, owner, reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this)));
  titleStrip_.SetTitle(title_);
  return result;
}

platform::Rect TitledScreen::PageArea() { return Scaled(kPage[ui::Orientation()]); }

void TitledScreen::Paint(platform::Canvas& dc, bool, std::uint32_t) {
  if (!active) return;
  dc.FillRect(PageArea(), ui::View::kDefaultBackground);
  titleStrip_.Draw(dc);
}

std::intptr_t TitledScreen::OnMessage(std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }

void TitledScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) { titleStrip_.OnKey(virtualKey); }

bool TitledScreen::OnTap(std::int32_t x, std::int32_t y) { return titleStrip_.OnTap(x, y); }

void TitledScreen::Show() {
  ui::Screen::Show();
  // The page is drawn at once, as a list fills its background when shown.
  if (window) {
    platform::Canvas dc = window->GetDC();
    dc.FillRect(PageArea(), ui::View::kDefaultBackground);
  }
  titleStrip_.Show();
}

void TitledScreen::Hide() {
  titleStrip_.Hide();
  ui::Screen::Hide();
}

void TitledScreen::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("title " + platform::Utf16ToUtf8(titleStrip_.Title()));
}

}  // namespace screens
