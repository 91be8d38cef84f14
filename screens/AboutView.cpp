#include "screens/AboutView.h"

#include "core/AppSettings.h"
#include "platform/TextCodec.h"
#include "screens/SplashPicture.h"
#include "ui/ResourcePaths.h"
#include "ui/STScreenBuffer.h"
#include "ui/ShellImageLoader.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr platform::Colour kRoleColour = 0x00BCB0B0;
constexpr platform::Colour kNameColour = 0x00694E4F;
// QVGA positions by orientation (landscape, portrait).
constexpr std::int32_t kCreditsTop[2] = {161, 236};
constexpr std::int32_t kRoleLeft = 1;
constexpr std::int32_t kRoleRight = 67;
constexpr std::int32_t kNameLeft = 71;
constexpr platform::Point kVersionAt[2] = {{217, 161}, {138, 237}};

}  // namespace

const std::vector<AboutView::Credit>& AboutView::Credits() {
  static const std::vector<Credit> credits = {{u"Client", u"Vornalo Labs"}, {u"Music", u"Demo Library"}};
  return credits;
}

std::u16string AboutView::VersionLine() { return u"Version " + platform::Utf8ToUtf16(core::appVersion); }

const char16_t* AboutView::Notice() { return u"Search. Listen."; }

int AboutView::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  font_ = platform::Font::Create(kSplashFontHeight * ui::Scale(), 400);
  for (int o = 0; o < 2; ++o) {
    const char16_t* path = ui::GetResourcePathW(kSplashPictureNames[o]);
    int error = 0;
    pictures_[o] = ui::LoadImageFile(path, error);
    if (!pictures_[o]) return ui::ImageLoadResult(false, error);
  }
  return 1;
}

void AboutView::Paint(platform::Canvas& dc) {
  const int o = ui::Orientation();
  const std::int32_t s = ui::Scale();
  const platform::Rect& r = CurrentRect();
  if (pictures_[o]) {
    const platform::Canvas picture(*pictures_[o]);
    const platform::Size size = pictures_[o]->GetSize();
    dc.BitBlt(r.left, 0, size.width, size.height, picture, 0, 0);
  }
  const platform::Font* previousFont = dc.SelectFont(font_.get());
  const platform::Colour previousColour = dc.TextColor();
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  const std::int32_t lineHeight = dc.MeasureText(u"V").height;
  std::int32_t y = kCreditsTop[o] * s;
  for (const Credit& credit : Credits()) {
    platform::Rect role{kRoleLeft * s, y, kRoleRight * s, CurrentHeight()};
    dc.SetTextColor(kRoleColour);
    dc.DrawText(credit.role, role, platform::kDtRight);
    platform::Rect name{kNameLeft * s, y, kVersionAt[o].x * s - 2 * s, CurrentHeight()};
    dc.SetTextColor(kNameColour);
    dc.DrawText(credit.name, name, platform::kDtLeft);
    y += lineHeight;
  }
  platform::Rect version{kVersionAt[o].x * s, kVersionAt[o].y * s, CurrentWidth(), CurrentHeight()};
  dc.SetTextColor(kNameColour);
  dc.DrawText(VersionLine() + u"\n" + Notice(), version, platform::kDtLeft);
  dc.SetTextColor(previousColour);
  dc.SelectFont(previousFont);
}

}  // namespace screens
