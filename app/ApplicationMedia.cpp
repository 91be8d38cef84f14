// Application: the desktop's media controls (media keys, sound menus, playerctl) over MPRIS,
// and seeking within the track.

#include <algorithm>

#include "app/AppResources.h"
#include "app/Application.h"
#include "platform/TextCodec.h"
#include "screens/TrackProgress.h"
#include "screens/WindowMessages.h"

namespace app {

namespace {

constexpr std::int64_t kMicroseconds = 1000000;

}  // namespace

void Application::OpenMediaControls() {
  static_assert(sizeof(std::intptr_t) >= sizeof(std::int64_t), "lParam carries microseconds");
  mediaControls_ = platform::MprisService::Open(
      {"vornalo", "Vornalo", "vornalo"}, [this](platform::MediaCommand c, std::int64_t argumentUs) {
        window_.Post(kMediaCommandMessage, static_cast<std::uintptr_t>(c), static_cast<std::intptr_t>(argumentUs));
      });
}

void Application::PublishMediaState() {
  if (!mediaControls_ || !ready_) return;
  using Status = platform::MediaState::Status;
  platform::MediaState state;
  const std::int32_t playState = playerScreen_.playState;
  state.status = playState == screens::PlayerView::kPlaying ? Status::kPlaying
                 : playState == screens::PlayerView::kPaused ? Status::kPaused
                                                             : Status::kStopped;
  const playlist::CurrentPlaylist* playlist = currentPlaylistScreen_.Playlist();
  const bool hasEntries = playlist && playlist->count() > 0;
  state.canGoNext = state.canGoPrevious = hasEntries;
  state.canPlay = state.canPause = hasEntries || playState != screens::PlayerView::kNothing;
  if (playState != screens::PlayerView::kNothing) {
    const audio::TrackInfo info = streamPlayer_.trackInfo();
    const audio::Mp3FrameHeader header = streamPlayer_.header();
    screens::TrackProgress progress;
    progress.SetTrack(info, streamPlayer_.contentLength(), header, streamPlayer_.lengthSamples());
    state.trackId = "/org/vornalo/track/t" + std::to_string(tracksStarted_);
    state.title = platform::Utf16ToUtf8(info.title);
    state.artist = platform::Utf16ToUtf8(info.creator);
    state.album = platform::Utf16ToUtf8(info.album);
    // To the microsecond: the displays' whole seconds would put the end before the last sample.
    if (header.sampleRate) state.lengthUs = std::int64_t(progress.lengthSamples * kMicroseconds / header.sampleRate);
    if (header.sampleRate) state.positionUs = std::int64_t{streamPlayer_.position()} * kMicroseconds / header.sampleRate;
    state.canSeek = streamPlayer_.canSeek();
  }
  mediaControls_->Publish(state);
}

bool Application::SeekTo(std::int64_t targetUs) {
  const std::uint32_t rate = streamPlayer_.sampleRate();
  if (playerScreen_.playState == screens::PlayerView::kNothing || rate == 0 || !streamPlayer_.canSeek()) return false;
  const std::uint64_t frame = std::uint64_t(std::max<std::int64_t>(targetUs, 0)) * rate / kMicroseconds;
  if (!streamPlayer_.seekTo(frame)) return false;
  // The elapsed time and the handle move now rather than at the next tick of the timer.
  OnPositionTimer();
  if (mediaControls_) {
    PublishMediaState();
    mediaControls_->AnnounceSeek(std::int64_t(streamPlayer_.position()) * kMicroseconds / rate);
  }
  return true;
}

bool Application::SeekBy(std::int64_t offsetUs) {
  const std::uint32_t rate = streamPlayer_.sampleRate();
  if (rate == 0) return false;
  return SeekTo(std::int64_t(streamPlayer_.position()) * kMicroseconds / rate + offsetUs);
}

void Application::OnMediaCommand(platform::MediaCommand command, std::int64_t argumentUs) {
  namespace msg = screens::msg;
  using Command = platform::MediaCommand;
  const std::int32_t playState = playerScreen_.playState;
  const auto cookie = reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(&playerScreen_));
  // With nothing under way, play starts the Current Playlist's selected entry.
  const bool start = playState == screens::PlayerView::kNothing &&
                     (command == Command::kPlay || command == Command::kPlayPause);
  if (start) {
    const playlist::CurrentPlaylist* playlist = currentPlaylistScreen_.Playlist();
    if (playlist && playlist->count() > 0) currentPlaylistScreen_.OnMessage(msg::kPlayItem, 0, 0);
    return;
  }
  switch (command) {
    case Command::kPlayPause:
      playerScreen_.OnMessage(msg::kPlayPause, cookie, 0);
      break;
    case Command::kPlay:
      if (playState == screens::PlayerView::kPaused) playerScreen_.OnMessage(msg::kPlayPause, cookie, 0);
      break;
    case Command::kPause:
      if (playState == screens::PlayerView::kPlaying) playerScreen_.OnMessage(msg::kPlayPause, cookie, 0);
      break;
    case Command::kNext:
      playerScreen_.OnMessage(msg::kPlayerNextButton, cookie, 0);
      break;
    case Command::kPrevious:
      playerScreen_.OnMessage(msg::kPlayerPreviousButton, cookie, 0);
      break;
    case Command::kStop:
      if (playState != screens::PlayerView::kNothing) streamPlayer_.stop(1);
      break;
    case Command::kSeek:
      SeekBy(argumentUs);
      break;
    case Command::kSetPosition:
      SeekTo(argumentUs);
      break;
    case Command::kRaise:
      window_.RequestRaise();
      break;
    case Command::kQuit:
      window_.Post(platform::wm::kCommand, kExitCommand, 0);
      break;
  }
}

}  // namespace app
