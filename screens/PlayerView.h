#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "catalogue/ItemRecords.h"
#include "platform/text/Font.h"
#include "screens/TrackProgress.h"
#include "ui/STScreenBuffer.h"
#include "ui/ThemeColour.h"
#include "ui/View.h"

namespace core {
class AppSettings;
}  // namespace core

namespace screens {

// The player's skinned console: the LCD glass with the track's lines, the elapsed and total
// times, the download bar with the position handle, the five buttons of the control pad and
// the cracks that taps on the glass leave. The static background (theme colour, console,
// texts, glass, skin) is composed once per change into a picture per orientation; a paint
// blits it and draws the moving parts over it. Keys and button taps post the player
// messages (cookie, 0) to the window; the owning screen acts on them. UI thread only.
class PlayerView : public ui::View {
 public:
  // The buttons, in the order taps test them.
  enum Button { kPrevious, kNext, kPlaylist, kSearch, kPlayPause, kButtonCount };
  // playState values.
  static constexpr std::int32_t kNothing = 0;
  static constexpr std::int32_t kPlaying = 1;
  static constexpr std::int32_t kPaused = 2;
  static constexpr int kMaxCracks = 14;
  static constexpr int kCrackImages = 4;

  struct Crack {
    int image = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
  };

  PlayerView();
  ~PlayerView() override;

  // Where the skin name is read (and cleared when its pictures are gone) and the theme
  // colour comes from; set before Create.
  void SetSettings(core::AppSettings& settings) { settings_ = &settings; }
  void SetThemeColourSource(ui::ThemeColourSource source) { themeColour_ = std::move(source); }
  // What happens while the play/pause button shows its pressed picture; by default the
  // window is presented and 75 ms pass. Tests may replace it.
  void SetFlashPause(std::function<void()> pause) { flashPause_ = std::move(pause); }

  // The View create, then every picture but the skins: 1, 1001 or 1002 at the first failure.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Enter, Up and Down post play/pause, previous and next while something is under way;
  // Left and Right post the playlist and search buttons' messages. Never consumed.
  bool OnKey(std::uint32_t virtualKey) override;
  // A tap on the glass adds a crack (at most kMaxCracks) and is consumed; a tap on a button
  // posts its message (previous, next and play/pause only while something is under way) and
  // is not consumed.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // Removes every crack and draws.
  void Show() override;
  // Loads the chosen skin when it changed, then composes the background again.
  void UpdateLayout() override;
  void Paint(platform::Canvas& dc) override;

  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& header,
                std::uint64_t lengthSamples);
  // Redraws when visible.
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples, std::uint64_t lengthSamples);
  // Nothing under way: playState 0, no track, no progress.
  void ResetDisplay();
  // Keeps a copy of the record's text slots: what play/pause starts when nothing runs.
  void SetItem(const catalogue::AudioCueRecord& record);
  const catalogue::AudioCueRecord& Item() const { return *item_; }

  // Shows the button's pressed picture straight on the window: play/pause for the flash
  // pause, the others only until the view is drawn again right after.
  void FlashButton(Button button);

  // "creator - album", or whichever is not empty.
  std::u16string CreatorAlbumLine() const;
  const TrackProgress& Progress() const { return progress_; }
  int CrackCount() const { return crackCount_; }
  bool SkinLoaded() const { return skinLoaded_; }
  // Where a button lies in the window for the current orientation.
  platform::Rect ButtonRect(Button button) const;

  std::int32_t playState = kNothing;

 private:
  // The skin step of UpdateLayout; false when the skin's pictures were missing and nothing is
  // to be composed.
  bool LoadSkin();
  void Compose(int orientation);
  void DrawTimes(platform::Canvas& dc, int orientation);
  void DrawLoadBar(platform::Canvas& dc, int orientation);

  core::AppSettings* settings_ = nullptr;
  ui::ThemeColourSource themeColour_;
  std::function<void()> flashPause_;

  TrackProgress progress_;
  std::unique_ptr<catalogue::AudioCueRecord> item_;

  std::array<ui::STScreenBuffer, 4> symbolNormal_;  // previous, next, playlist, search
  std::array<ui::STScreenBuffer, 4> symbolDown_;
  ui::STScreenBuffer playNormal_, pauseNormal_, playDown_, pauseDown_;
  std::array<ui::STScreenBuffer, kCrackImages> crackImages_;
  ui::STScreenBuffer console_[2], glass_[2], progressOverlay_[2], skin_[2];
  ui::STScreenBuffer gaugeHandle_;
  std::unique_ptr<platform::Surface> loadBar_;
  ui::STScreenBuffer composed_[2];
  std::unique_ptr<platform::Font> lineFont_, titleFont_, timeFont_;

  bool skinLoaded_ = false;
  // The skin whose pictures are loaded, and whether the next layout must load whatever is
  // chosen (set at construction, so that the first layout always loads).
  std::u16string loadedSkin_;
  bool reloadSkin_ = true;

  std::array<Crack, kMaxCracks> cracks_;
  int crackCount_ = 0;
};

}  // namespace screens
