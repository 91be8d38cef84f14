#include "screens/Splash.h"

#include <memory>

#include "core/AppSettings.h"
#include "core/ScreenMetrics.h"
#include "platform/TextCodec.h"
#include "platform/text/Font.h"
#include "screens/SplashPicture.h"
#include "ui/ResourcePaths.h"
#include "ui/ShellImageLoader.h"

namespace screens {
namespace {

// Where the version's cell starts, in screen pixels (QVGA): left, top in landscape, top in
// portrait. The picture starts below the title bar.
constexpr std::int32_t kVersionLeft = 2;
constexpr std::int32_t kVersionTop[2] = {202, 280};
constexpr std::int32_t kTitleBarHeight = 26;

}  // namespace

void DrawSplash(platform::Window& window) {
  const std::int32_t s = static_cast<std::int32_t>(core::scaleFactor);
  const int o = core::isPortrait ? 1 : 0;
  const char16_t* path = ui::GetResourcePathW(kSplashPictureNames[o]);
  int error = 0;
  std::unique_ptr<platform::Surface> picture = ui::LoadImageFile(path, error);
  if (!picture) return;

  platform::Canvas screen = window.GetScreenDC();
  const platform::Canvas source(*picture);
  screen.BitBlt(0, kTitleBarHeight * s, kSplashPictureArea[o].width * s, kSplashPictureArea[o].height * s, source, 0,
                0);

  std::unique_ptr<platform::Font> font = platform::Font::Create(kSplashFontHeight * s, 400);
  screen.SelectFont(font.get());
  screen.SetBkMode(platform::BackgroundMode::kTransparent);
  screen.SetTextColor(kSplashVersionColour);
  const std::u16string version = u"V" + platform::Utf8ToUtf16(core::appVersion);
  const platform::Size size = screen.MeasureText(version);
  platform::Rect box{kVersionLeft * s, kVersionTop[o] * s, size.width + kVersionLeft * s + 2,
                     kVersionTop[o] * s + size.height + 2};
  screen.DrawText(version, box, platform::kDtLeft);
  screen.SelectFont(nullptr);
}

}  // namespace screens
