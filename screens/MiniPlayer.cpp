#include "screens/MiniPlayer.h"

#include "platform/TextCodec.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr const char* kBackgrounds[2] = {"\\miniplayer\\horizontal_miniplayer_background.png",
                                         "\\miniplayer\\vertical_miniplayer_background.png"};
constexpr const char* kHandle = "\\miniplayer\\mini_player_progress_handle.png";
constexpr const char16_t* kLoadBar = u"\\miniplayer\\mini_player_load_bar.png";

// QVGA positions (landscape, portrait).
constexpr platform::Point kLoadBarOrigin[2] = {{3, 15}, {3, 25}};
constexpr std::int32_t kCaptionTop[2] = {2, 8};
constexpr std::int32_t kTimeTop[2] = {1, 7};
constexpr std::int32_t kTimesFontHeight = 12;
constexpr std::int32_t kCaptionFontHeight = 11;

}  // namespace

int MiniPlayer::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  int result = View::Create(rects, owner, notifyCookie);
  for (int o = 0; o < 2 && result == 1; ++o) result = ui::LoadResourcePng(background_[o], kBackgrounds[o]);
  if (result == 1) result = ui::LoadResourcePng(handle_, kHandle);
  if (result == 1) result = ui::LoadResourceBitmap(loadBar_, kLoadBar);
  if (result != 1) return result;
  const std::int32_t s = ui::Scale();
  timesFont_ = platform::Font::Create(kTimesFontHeight * s, 700);
  captionFont_ = platform::Font::Create(kCaptionFontHeight * s, 400);
  for (int o = 0; o < 2; ++o) composed_[o].Create(width[o], height[o]);
  UpdateLayout();
  return 1;
}

void MiniPlayer::UpdateLayout() { Compose(ui::Orientation()); }

void MiniPlayer::Compose(int o) {
  platform::Canvas* dc = composed_[o].GetDC();
  if (!dc) return;
  dc->FillRect(platform::Rect{0, 0, width[o], height[o]}, themeColour_ ? themeColour_() : backgroundColour);
  background_[o].DrawAlpha(*dc, rect[o].left, 0);
}

bool MiniPlayer::OnTap(std::int32_t x, std::int32_t y) { return CurrentRect().Contains(x, y); }

void MiniPlayer::Paint(platform::Canvas& dc) {
  const int o = ui::Orientation();
  const std::int32_t s = ui::Scale();
  const std::int32_t w = width[o];
  const std::int32_t left = rect[o].left;
  composed_[o].BlitTo(dc, 0, 0);

  const platform::Point origin{kLoadBarOrigin[o].x * s, kLoadBarOrigin[o].y * s};
  const std::int32_t barWidth = (w - 8 * s) * progress_.loadPercent / 100;
  if (loadBar_ && barWidth > 0) {
    StretchStrip(dc, platform::Rect{origin.x, origin.y, origin.x + barWidth, origin.y + loadBar_->Height()}, *loadBar_,
                 platform::Rect{0, 0, loadBar_->Width(), loadBar_->Height()});
  }
  if (progress_.durationSec > 0) {
    // Measured from the view's left edge, not from the bar's origin.
    handle_.DrawAlpha(dc, (w - 8 * s) * progress_.positionPercent / 100, origin.y - handle_.Height() / 2);
  }

  // No text colour of its own: the one the drawing surface has.
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  const platform::Font* previous = dc.SelectFont(timesFont_.get());
  const std::u16string elapsed = TrackProgress::FormatTime(progress_.ElapsedSec());
  const std::u16string total = TrackProgress::FormatTime(progress_.durationSec);
  const std::int32_t e = dc.MeasureText(elapsed).width;
  const platform::Rect clip{0, 0, w, height[o]};
  dc.TextOut(left + 2 * s, kTimeTop[o] * s, &clip, elapsed);
  // Placed by the width of the elapsed text.
  dc.TextOut(left + w - 2 * s - e, kTimeTop[o] * s, &clip, total);
  dc.SelectFont(captionFont_.get());
  platform::Rect box{left + 5 * s + e, kCaptionTop[o] * s, left + w - 5 * s - e, height[o]};
  dc.DrawText(caption_, box, platform::kDtCenter | platform::kDtSingleLine | platform::kDtEndEllipsis);
  dc.SelectFont(previous);
}

void MiniPlayer::SetTrack(const audio::TrackInfo& info, std::int32_t contentLength,
                          const audio::Mp3FrameHeader& header, std::uint64_t lengthSamples) {
  progress_.SetTrack(info, contentLength, header, lengthSamples);
  caption_ = (info.creator + u" - " + info.title).substr(0, kMaxCaptionLength);
  UpdateLayout();
  if (visible) Draw();
}

void MiniPlayer::SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples, std::uint64_t lengthSamples) {
  progress_.SetProgress(bytesReceived, positionSamples, lengthSamples);
  if (visible) Draw();
}

void MiniPlayer::ResetDisplay() {
  progress_.Reset();
  caption_.clear();
  UpdateLayout();
  if (visible) Draw();
}

void MiniPlayer::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("mini " + platform::Utf16ToUtf8(caption_) + " | " +
                  platform::Utf16ToUtf8(TrackProgress::FormatTime(progress_.ElapsedSec())) + " | " +
                  platform::Utf16ToUtf8(TrackProgress::FormatTime(progress_.durationSec)));
}

}  // namespace screens
