#pragma once

#include <cstdint>

#include "audio/TrackStart.h"
#include "screens/PlayerView.h"
#include "ui/Screen.h"
#include "ui/ScreenText.h"

namespace audio {
class StreamPlayer;
}

namespace screens {

// Tab 3: the skinned console over the whole window. It drives the shared stream player for
// play and pause, forwards next and previous to the Current Playlist and switches tabs from
// its side buttons. The phone-call handling pauses and resumes through it.
class PlayerScreen : public ui::Screen, public ui::ScreenText {
 public:
  PlayerScreen();
  ~PlayerScreen() override;

  // Where the skin name and the theme colour come from; before Create.
  void SetSettings(core::AppSettings& settings);
  int Create(platform::Window& owner) override;
  // The player the buttons drive and where stream URLs are looked up.
  void SetPlayer(audio::StreamPlayer& player) { player_ = &player; }
  void SetStreamService(audio::StreamUrlService service) { service_ = std::move(service); }

  // While active: the console.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  // 1624 play/pause; 1625 and 1626 flash their button and ask the playlist for the previous
  // or next track; 1627 and 1628 flash theirs and switch to the playlist or search tab; 1027
  // and 1029 lay the console out again (theme, skin or size changed).
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // Enter and the arrow keys go to the console.
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Show() override;
  void Hide() override;
  void Invalidate() override { view_.UpdateLayout(); }
  // "player <playState> <elapsed> <total> | <creator/album line> | <title>".
  void AppendScreenText(std::vector<std::string>& lines) const override;

  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& header,
                std::uint64_t lengthSamples) {
    view_.SetTrack(info, contentLength, header, lengthSamples);
  }
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples, std::uint64_t lengthSamples) {
    view_.SetProgress(bytesReceived, positionSamples, lengthSamples);
  }
  void ResetDisplay() { view_.ResetDisplay(); }
  // Stops what plays (reason 0) and clears the display when a track is under way, then keeps
  // the record as what play/pause starts.
  void ShowItem(const catalogue::AudioCueRecord& record);
  // A call came in: pauses what plays, remembering that the user did not.
  void PauseForCall();
  // The call ended: resumes, unless the user pressed play/pause since the pause for the call.
  void ResumeAfterCall();

  PlayerView& View() { return view_; }
  const PlayerView& View() const { return view_; }

  // Set by every press of play/pause, cleared by a pause for a call.
  bool userFlag = false;
  // The console's playState (0 nothing under way, 1 playing, 2 paused).
  std::int32_t& playState;

 private:
  void PlayPause();

  PlayerView view_;
  audio::StreamPlayer* player_ = nullptr;
  audio::StreamUrlService service_;
};

}  // namespace screens
