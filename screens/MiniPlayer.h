#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/Font.h"
#include "screens/TrackProgress.h"
#include "ui/STScreenBuffer.h"
#include "ui/ThemeColour.h"
#include "ui/View.h"

namespace screens {

// The strip under the list screens that shows the track under way while the user browses:
// its caption "creator - title", the elapsed and total times, the download bar and the
// position handle. Its background (theme colour and picture) is composed once per change.
// A tap inside it is consumed; the main window then shows the player tab.
class MiniPlayer : public ui::View {
 public:
  static constexpr std::size_t kMaxCaptionLength = 255;

  void SetThemeColourSource(ui::ThemeColourSource source) { themeColour_ = std::move(source); }
  // The View create, then the pictures: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Composes the background again (theme colour or orientation changed).
  void UpdateLayout() override;

  bool OnKey(std::uint32_t) override { return false; }
  // Consumed when the point lies inside the strip; nothing else happens here.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Paint(platform::Canvas& dc) override;

  void SetTrack(const audio::TrackInfo& info, std::int32_t contentLength, const audio::Mp3FrameHeader& header,
                std::uint64_t lengthSamples);
  // Redraws when visible.
  void SetProgress(std::uint32_t bytesReceived, std::uint32_t positionSamples, std::uint64_t lengthSamples);
  // No caption, 0:00 twice, no handle.
  void ResetDisplay();

  const std::u16string& Caption() const { return caption_; }
  const TrackProgress& Progress() const { return progress_; }
  // "mini <caption> | <elapsed> | <total>".
  void AppendScreenText(std::vector<std::string>& lines) const;

 private:
  void Compose(int orientation);

  ui::ThemeColourSource themeColour_;
  TrackProgress progress_;
  std::u16string caption_;
  ui::STScreenBuffer background_[2];
  ui::STScreenBuffer handle_;
  std::unique_ptr<platform::Surface> loadBar_;
  ui::STScreenBuffer composed_[2];
  std::unique_ptr<platform::Font> timesFont_;
  std::unique_ptr<platform::Font> captionFont_;
};

}  // namespace screens
