#include "screens/PlayerScreen.h"

#include "platform/TextCodec.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr platform::Colour kPageColour = 0x302828;
constexpr platform::Colour kTextColour = 0xFFFFFF;
constexpr std::int32_t kLineFontHeight = 13;
constexpr std::int32_t kTitleFontHeight = 16;

}  // namespace

PlayerScreen::PlayerScreen() = default;
PlayerScreen::~PlayerScreen() = default;

int PlayerScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  lineFont_ = platform::Font::Create(kLineFontHeight * ui::Scale(), 400);
  titleFont_ = platform::Font::Create(kTitleFontHeight * ui::Scale(), 700);
  return 1;
}

void PlayerScreen::Paint(platform::Canvas& dc, bool, std::uint32_t) {
  if (!active) return;
  const std::int32_t s = ui::Scale();
  const platform::Rect all = dc.Bounds();
  dc.FillRect(all, kPageColour);
  dc.SetBkMode(platform::BackgroundMode::kTransparent);
  dc.SetTextColor(kTextColour);
  const std::uint32_t flags = platform::kDtCenter | platform::kDtSingleLine | platform::kDtEndEllipsis;
  dc.SelectFont(lineFont_.get());
  platform::Rect line{8 * s, 20 * s, all.right - 8 * s, 40 * s};
  dc.DrawText(CreatorAlbumLine(), line, flags);
  dc.SelectFont(titleFont_.get());
  platform::Rect title{8 * s, 44 * s, all.right - 8 * s, 66 * s};
  dc.DrawText(display_.track.title, title, flags);
  dc.SelectFont(lineFont_.get());
  const std::string times =
      PlaybackDisplay::FormatMinutes(display_.elapsedSec) + " / " + PlaybackDisplay::FormatMinutes(display_.durationSec);
  platform::Rect timeBox{8 * s, 70 * s, all.right - 8 * s, 90 * s};
  dc.DrawText(platform::Utf8ToUtf16(times), timeBox, flags);
  dc.SelectFont(nullptr);
}

void PlayerScreen::Show() {
  ui::Screen::Show();
  Redraw();
}

std::intptr_t PlayerScreen::OnMessage(std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }

void PlayerScreen::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("player " + std::to_string(playState) + " " + PlaybackDisplay::FormatMinutes(display_.elapsedSec) +
                  " " + PlaybackDisplay::FormatMinutes(display_.durationSec) + " | " +
                  platform::Utf16ToUtf8(CreatorAlbumLine()) + " | " + platform::Utf16ToUtf8(display_.track.title));
}

void PlayerScreen::SetTrack(const audio::TrackInfo& info, std::int32_t contentLength,
                            const audio::Mp3FrameHeader& header) {
  display_.SetTrack(info, contentLength, header);
  Redraw();
}

void PlayerScreen::SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples) {
  display_.SetProgress(bytesReceived, positionSamples);
  Redraw();
}

void PlayerScreen::ResetDisplay() {
  playState = 0;
  display_.Reset();
  Redraw();
}

void PlayerScreen::Redraw() {
  if (!active || !window) return;
  platform::Canvas dc = window->GetDC();
  Paint(dc, false, kLayerAll);
}

std::u16string PlayerScreen::CreatorAlbumLine() const {
  const audio::TrackInfo& t = display_.track;
  if (!t.creator.empty() && !t.album.empty()) return t.creator + u" - " + t.album;
  return t.creator.empty() ? t.album : t.creator;
}

}  // namespace screens
