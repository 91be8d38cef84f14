#include "screens/PlayerScreen.h"

#include "core/AppSettings.h"
#include "audio/StreamPlayer.h"
#include "platform/TextCodec.h"
#include "screens/WindowMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// The console's rectangle, QVGA (landscape, portrait): the whole window.
constexpr platform::Rect kViewRects[2] = {{0, 0, 320, 189}, {0, 0, 240, 268}};

}  // namespace

PlayerScreen::PlayerScreen() : playState(view_.playState) {}
PlayerScreen::~PlayerScreen() = default;

void PlayerScreen::SetSettings(core::AppSettings& settings) {
  view_.SetSettings(settings);
  view_.SetThemeColourSource([&settings] { return settings.CurrentThemeColor(); });
}

int PlayerScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  const std::int32_t s = ui::Scale();
  platform::Rect rects[2];
  for (int o = 0; o < 2; ++o) {
    const platform::Rect& r = kViewRects[o];
    rects[o] = platform::Rect{r.left * s, r.top * s, r.right * s, r.bottom * s};
  }
  return view_.Create(rects, owner, reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this)));
}

void PlayerScreen::Paint(platform::Canvas& dc, bool, std::uint32_t) {
  if (active) view_.Draw(dc);
}

std::intptr_t PlayerScreen::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case msg::kPlayPause:
      PlayPause();
      break;
    case msg::kPlayerPreviousButton:
      view_.FlashButton(PlayerView::kPrevious);
      if (window) window->Post(msg::kPlayerPrevious);
      break;
    case msg::kPlayerNextButton:
      view_.FlashButton(PlayerView::kNext);
      if (window) window->Post(msg::kPlayerNext);
      break;
    case msg::kPlayerPlaylistTab:
      view_.FlashButton(PlayerView::kPlaylist);
      if (window) window->Post(msg::kShowPlaylistTab);
      break;
    case msg::kPlayerSearchTab:
      view_.FlashButton(PlayerView::kSearch);
      if (window) window->Post(msg::kShowSearchTab);
      break;
    case msg::kThemeChanged:
    case msg::kLayoutChanged:
      view_.UpdateLayout();
      break;
    default:
      break;
  }
  return 0;
}

void PlayerScreen::PlayPause() {
  userFlag = true;
  if (!player_) return;
  view_.FlashButton(PlayerView::kPlayPause);
  if (player_->status() != audio::StreamPlayer::StatusOutputOpen) {
    audio::StreamPlayer& player = *player_;
    audio::startTrack(player, service_, view_.Item(), [&player] { player.stop(0); });
    playState = PlayerView::kPlaying;
  } else if (player_->state() == audio::StreamPlayer::Playing) {
    player_->togglePause();
    playState = PlayerView::kPaused;
  } else {
    player_->play();
    playState = PlayerView::kPlaying;
  }
  if (view_.visible) view_.Draw();
}

void PlayerScreen::ShowItem(const catalogue::AudioCueRecord& record) {
  if (player_ && (player_->status() == audio::StreamPlayer::StatusOutputOpen ||
                  player_->state() == audio::StreamPlayer::Playing)) {
    playState = PlayerView::kNothing;
    player_->stop(0);
    view_.ResetDisplay();
  }
  view_.SetItem(record);
}

void PlayerScreen::PauseForCall() {
  if (!player_ || player_->state() != audio::StreamPlayer::Playing) return;
  userFlag = false;
  player_->togglePause();
  playState = PlayerView::kPaused;
  if (view_.visible) view_.Draw();
}

void PlayerScreen::ResumeAfterCall() {
  if (!player_ || userFlag || player_->state() != audio::StreamPlayer::Paused) return;
  player_->play();
  playState = PlayerView::kPlaying;
  if (view_.visible) view_.Draw();
}

void PlayerScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) {
  if (virtualKey == platform::vk::kReturn || (virtualKey >= platform::vk::kLeft && virtualKey <= platform::vk::kDown)) {
    view_.OnKey(virtualKey);
  }
}

bool PlayerScreen::OnTap(std::int32_t x, std::int32_t y) { return view_.OnTap(x, y); }

void PlayerScreen::Show() {
  ui::Screen::Show();
  view_.Show();
}

void PlayerScreen::Hide() {
  view_.Hide();
  ui::Screen::Hide();
}

void PlayerScreen::AppendScreenText(std::vector<std::string>& lines) const {
  const TrackProgress& shown = view_.Progress();
  lines.push_back("player " + std::to_string(view_.playState) + " " +
                  platform::Utf16ToUtf8(TrackProgress::FormatTime(shown.ElapsedSec())) + " " +
                  platform::Utf16ToUtf8(TrackProgress::FormatTime(shown.durationSec)) + " | " +
                  platform::Utf16ToUtf8(view_.CreatorAlbumLine()) + " | " + platform::Utf16ToUtf8(shown.trackInfo.title));
}

}  // namespace screens
