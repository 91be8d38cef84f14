#pragma once

#include <memory>

#include "platform/text/Font.h"
#include "screens/PlaybackDisplay.h"
#include "ui/Screen.h"
#include "ui/ScreenText.h"

namespace audio {
class StreamPlayer;
}

namespace screens {

// Tab 3: the track under way over the whole window. Today it draws the track's text on a
// dark page; the skinned console, its buttons and keys come with the player screen itself.
class PlayerScreen : public ui::Screen, public ui::ScreenText {
 public:
  PlayerScreen();
  ~PlayerScreen() override;

  int Create(platform::Window& owner) override;
  void SetPlayer(audio::StreamPlayer& player) { player_ = &player; }

  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnKey(std::uint32_t, std::intptr_t) override {}
  bool OnTap(std::int32_t, std::int32_t) override { return false; }
  void Invalidate() override {}
  // Sets active and draws the whole window at once.
  void Show() override;
  void AppendScreenText(std::vector<std::string>& lines) const override;

  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& header);
  // Redraws while active.
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples);
  // playState 0 and nothing shown.
  void ResetDisplay();

  // 0 nothing under way, 1 playing, 2 paused.
  std::int32_t playState = 0;

 private:
  void Redraw();
  // "creator - album", or whichever of the two is not empty.
  std::u16string CreatorAlbumLine() const;

  audio::StreamPlayer* player_ = nullptr;
  PlaybackDisplay display_;
  std::unique_ptr<platform::Font> lineFont_;
  std::unique_ptr<platform::Font> titleFont_;
};

}  // namespace screens
