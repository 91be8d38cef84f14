#include "screens/MiniPlayer.h"

#include "platform/TextCodec.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr const char* kBackgrounds[2] = {"\\miniplayer\\horizontal_miniplayer_background.png",
                                         "\\miniplayer\\vertical_miniplayer_background.png"};
constexpr std::int32_t kTimesFontHeight = 12;
constexpr std::int32_t kCaptionFontHeight = 11;
constexpr std::int32_t kCaptionTop[2] = {2, 8};
constexpr std::int32_t kTimeTop[2] = {1, 7};
constexpr platform::Colour kTextColour = 0xFFFFFF;

}  // namespace

int MiniPlayer::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  int result = View::Create(rects, owner, notifyCookie);
  for (int o = 0; o < 2 && result == 1; ++o) result = ui::LoadResourcePng(background_[o], kBackgrounds[o]);
  timesFont_ = platform::Font::Create(kTimesFontHeight * ui::Scale(), 700);
  captionFont_ = platform::Font::Create(kCaptionFontHeight * ui::Scale(), 400);
  return result;
}

bool MiniPlayer::OnTap(std::int32_t x, std::int32_t y) { return CurrentRect().Contains(x, y); }

void MiniPlayer::Paint(platform::Canvas& dc) {
  const int o = ui::Orientation();
  const std::int32_t s = ui::Scale();
  const std::int32_t w = CurrentWidth();
  dc.FillRect(platform::Rect{0, 0, w, CurrentHeight()}, themeColour_ ? themeColour_() : backgroundColour);
  if (background_[o].HasImage()) background_[o].DrawAlpha(dc, 0, 0);
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  dc.SetTextColor(kTextColour);
  dc.SelectFont(timesFont_.get());
  const std::u16string elapsed = platform::Utf8ToUtf16(PlaybackDisplay::FormatMinutes(display_.elapsedSec));
  const std::u16string total = platform::Utf8ToUtf16(PlaybackDisplay::FormatMinutes(display_.durationSec));
  const std::int32_t e = dc.MeasureText(elapsed).width;
  dc.TextOut(2 * s, kTimeTop[o] * s, nullptr, elapsed);
  dc.TextOut(w - 2 * s - e, kTimeTop[o] * s, nullptr, total);
  dc.SelectFont(captionFont_.get());
  platform::Rect box{5 * s + e, kCaptionTop[o] * s, w - 5 * s - e, CurrentHeight()};
  dc.DrawText(caption_, box, platform::kDtCenter | platform::kDtSingleLine | platform::kDtEndEllipsis);
  dc.SelectFont(nullptr);
}

void MiniPlayer::SetTrack(const audio::TrackInfo& info, std::int32_t contentLength,
                          const audio::Mp3FrameHeader& header) {
  display_.SetTrack(info, contentLength, header);
  caption_ = (info.creator + u" - " + info.title).substr(0, audio::TrackInfo::kMaxLength);
  if (visible) Draw();
}

void MiniPlayer::SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples) {
  display_.SetProgress(bytesReceived, positionSamples);
  if (visible) Draw();
}

void MiniPlayer::ResetDisplay() {
  display_.Reset();
  caption_.clear();
  if (visible) Draw();
}

}  // namespace screens
