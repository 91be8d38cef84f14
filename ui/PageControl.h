#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/text/Font.h"
#include "ui/STScreenBuffer.h"
#include "ui/TextImage.h"
#include "ui/View.h"

namespace ui {

// A row with the item count on the left and, on the right, a previous-page button, the text
// "Page n / m" and a next-page button; each button shows the number of the page it leads to.
// A tap on a button posts msg::kPreviousPageButton or msg::kNextPageButton (cookie, 0). The
// owning screen sets currentPage, itemCount and rowsPerPage before a redraw.
class PageControl : public View {
 public:
  // The colour pairs of SetColors: the count text, the button numbers (normal, pressed),
  // the page text.
  static constexpr int kCountColours = 0;
  static constexpr int kButtonColours = 1;
  static constexpr int kPageColours = 2;
  struct ColourPair {
    platform::Colour normal = 0xFFFFFF;
    platform::Colour pressed = 0xFFFFFF;
  };
  static constexpr std::chrono::milliseconds kFlashTime{75};

  PageControl();

  // The View create; makes the two fonts. Returns 1.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Loads the button pictures (narrow relative resource names): 1, 1001 or 1002.
  int SetButtonImages(const char* normalName, const char* pressedName);
  void SetColors(int which, ColourPair pair);

  // Keys belong to the screen: nothing is consumed.
  bool OnKey(std::uint32_t) override { return false; }
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Paint(platform::Canvas& dc) override;

  // Called by screens when they change page: shows the pressed picture of the previous
  // (kFlashPrevious) or next (kFlashNext) button on the window for kFlashTime, then the
  // normal one again. Only a button that exists (there is such a page) flashes.
  static constexpr int kFlashPrevious = 0;
  static constexpr int kFlashNext = 1;
  void FlashButton(int which);
  // What happens between the pressed and the normal picture; by default the window is
  // presented and the flash time waited. Tools and tests may replace it.
  void SetFlashPause(std::function<void()> pause) { flashPause_ = std::move(pause); }

  // The page count for the current orientation: itemCount / rowsPerPage rounded up.
  std::int32_t PageCount() const;
  // Where the buttons and the page text lie, as the last paint placed them (control
  // coordinates).
  std::int32_t PrevX() const { return prevX_; }
  std::int32_t NextX() const { return nextX_; }
  std::int32_t PageTextX() const;
  const TextImage& PageText() const { return pageText_; }
  const TextImage& CountText() const { return countText_; }

  std::int32_t currentPage = 0;
  std::int32_t itemCount = 0;
  std::int32_t rowsPerPage[2] = {3, 5};

 private:
  void Layout();
  // Draws a button picture with the page number centred on it.
  void DrawButton(platform::Canvas& dc, STScreenBuffer& image, std::int32_t x, std::int32_t y,
                  std::int32_t number, platform::Colour colour);
  void FormatInto(TextImage& image, const platform::Font* font, const char* format, long a, long b);

  STScreenBuffer normalImage_;
  STScreenBuffer pressedImage_;
  std::int32_t buttonWidth_ = 0;
  std::unique_ptr<platform::Font> pageFont_;
  std::unique_ptr<platform::Font> countFont_;
  ColourPair countColours_;
  ColourPair buttonColours_;
  ColourPair pageColours_;
  platform::Size pageTextSize_;
  std::int32_t nextX_ = 0;
  std::int32_t prevX_ = 0;
  TextImage pageText_;
  TextImage countText_;
  TextImage prevNumber_;
  TextImage nextNumber_;
  TextImage numberText_;  // the flashed button's
  std::u16string scratch_;  // formatting room, kept so that a repaint does not allocate
  std::function<void()> flashPause_;
};

}  // namespace ui
