#pragma once

#include <memory>
#include <string>

#include "platform/text/Font.h"
#include "screens/PlaybackDisplay.h"
#include "ui/STScreenBuffer.h"
#include "ui/ThemeColour.h"
#include "ui/View.h"

namespace screens {

// The strip under the list screens that shows the track under way: the theme colour under
// its background picture, the elapsed and total times and the caption "creator - title".
// The load bar and the position handle come with the mini player's own work.
class MiniPlayer : public ui::View {
 public:
  // The View create, then the background pictures: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  void SetThemeColourSource(ui::ThemeColourSource source) { themeColour_ = std::move(source); }

  bool OnKey(std::uint32_t) override { return false; }
  // Consumed when the point lies inside the strip.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Paint(platform::Canvas& dc) override;

  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& header);
  // Redraws when shown.
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples);
  void ResetDisplay();

  const std::u16string& Caption() const { return caption_; }
  const PlaybackDisplay& Display() const { return display_; }

 private:
  ui::STScreenBuffer background_[2];
  std::unique_ptr<platform::Font> timesFont_;
  std::unique_ptr<platform::Font> captionFont_;
  ui::ThemeColourSource themeColour_;
  PlaybackDisplay display_;
  std::u16string caption_;
};

}  // namespace screens
