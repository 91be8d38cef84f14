#include "ui/TitleStrip.h"

#include "platform/TextCodec.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace ui {
namespace {

constexpr std::int32_t kFontHeight = 16;
constexpr std::int32_t kFontWeight = 700;

}  // namespace

int TitleStrip::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  const int result = LoadResourceBitmap(strip_, u"\\tab_resources\\tab_bar_stretch_strip.png");
  if (result != 1) return result;
  font_ = platform::Font::Create(kFontHeight * Scale(), kFontWeight);
  return 1;
}

void TitleStrip::SetTitle(std::u16string_view title) {
  title_.assign(title.substr(0, platform::Utf16PrefixLength(title, kMaxTitleLength)));
}

void TitleStrip::Paint(platform::Canvas& dc) {
  const int o = Orientation();
  const platform::Rect& r = rect[o];
  if (strip_) StretchStrip(dc, platform::Rect{r.left, 0, r.left + width[o], strip_->Height()}, *strip_, strip_->Bounds());
  titleImage_.Set(font_.get(), title_);
  titleImage_.Draw(dc, r.left + 3, 5, platform::Rect{r.left, 0, r.left + width[o], height[o]}, kTitleColour);
}

}  // namespace ui
