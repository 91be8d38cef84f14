#include "ui/PageControl.h"

#include <cstdio>
#include <thread>

#include "ui/ControlMessages.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace ui {
namespace {

constexpr std::int32_t kFontHeight = 13;
constexpr std::int32_t kFontWeight = 400;

}  // namespace

PageControl::PageControl() {
  flashPause_ = [this] {
    if (window) window->Present();
    std::this_thread::sleep_for(kFlashTime);
  };
}

int PageControl::Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  pageFont_ = platform::Font::Create(kFontHeight * Scale(), kFontWeight);
  countFont_ = platform::Font::Create(kFontHeight * Scale(), kFontWeight);
  return 1;
}

int PageControl::SetButtonImages(const char* normalName, const char* pressedName) {
  int result = LoadResourcePng(normalImage_, normalName);
  if (result == 1) result = LoadResourcePng(pressedImage_, pressedName);
  if (result != 1) return result;
  buttonWidth_ = normalImage_.Width();
  return 1;
}

void PageControl::SetColors(int which, ColourPair pair) {
  if (which == kCountColours) countColours_ = pair;
  else if (which == kButtonColours) buttonColours_ = pair;
  else if (which == kPageColours) pageColours_ = pair;
}

std::int32_t PageControl::PageCount() const {
  const std::int32_t perPage = rowsPerPage[Orientation()];
  if (perPage <= 0 || itemCount <= 0) return 0;
  return static_cast<std::int32_t>((std::int64_t{itemCount} + perPage - 1) / perPage);
}

std::int32_t PageControl::PageTextX() const { return prevX_ + buttonWidth_ + 4 * Scale(); }

void PageControl::FormatInto(TextImage& image, const platform::Font* font, const char* format, long a, long b) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, format, a, b);
  scratch_.clear();
  for (int i = 0; i < n && i < static_cast<int>(sizeof text); ++i) scratch_.push_back(static_cast<char16_t>(text[i]));
  image.Set(font, scratch_);
}

void PageControl::Layout() {
  const std::int32_t s = Scale(), w = CurrentWidth(), bw = buttonWidth_;
  nextX_ = w - 4 * s - bw;
  prevX_ = w - 4 * s - bw - 8 * s - bw - pageTextSize_.width;
}

void PageControl::DrawButton(platform::Canvas& dc, STScreenBuffer& image, std::int32_t x, std::int32_t y,
                             std::int32_t number, platform::Colour colour) {
  image.DrawAlpha(dc, x, y);
  FormatInto(numberText_, pageFont_.get(), "%ld", number, 0);
  numberText_.Draw(dc, x + (buttonWidth_ - numberText_.GetSize().width) / 2, y + 2 * Scale(), dc.Bounds(), colour);
}

void PageControl::Paint(platform::Canvas& dc) {
  const int o = Orientation();
  const std::int32_t s = Scale();
  const std::int32_t m = PageCount();
  if (itemCount > 0) {
    FormatInto(pageText_, pageFont_.get(), "Page %ld / %ld", currentPage + 1, m);
    pageTextSize_ = pageText_.GetSize();
  }
  Layout();
  if (itemCount > 0 && currentPage != (itemCount - 1) / rowsPerPage[o]) normalImage_.DrawAlpha(dc, nextX_, 0);
  if (currentPage != 0) normalImage_.DrawAlpha(dc, prevX_, 0);
  if (itemCount <= 0) return;

  const platform::Rect clip = dc.Bounds();
  pageText_.Draw(dc, PageTextX(), 2 * s, clip, pageColours_.normal);
  auto drawNumber = [&](TextImage& text, std::int32_t x, std::int32_t number) {
    FormatInto(text, pageFont_.get(), "%ld", number, 0);
    text.Draw(dc, x + (buttonWidth_ - text.GetSize().width) / 2, 2 * s, clip, buttonColours_.normal);
  };
  if (currentPage > 0) drawNumber(prevNumber_, prevX_, currentPage);
  if (currentPage + 1 < m) drawNumber(nextNumber_, nextX_, currentPage + 2);
  if (itemCount == 1) {
    FormatInto(countText_, countFont_.get(), "1 item", 0, 0);
  } else {
    FormatInto(countText_, countFont_.get(), "%ld items", itemCount, 0);
  }
  countText_.Draw(dc, rect[o].left, 2 * s, clip, countColours_.normal);
}

bool PageControl::OnTap(std::int32_t x, std::int32_t y) {
  const platform::Rect& r = CurrentRect();
  if (!r.Contains(x, y)) return false;
  const std::int32_t s = Scale(), bw = buttonWidth_;
  const std::int32_t px = x - r.left, py = y - r.top;
  const platform::Rect prevBox{prevX_, 1, prevX_ + bw, 18 * s};
  const platform::Rect nextBox{nextX_, 1, nextX_ + bw, 18 * s};
  if (currentPage > 0 && prevBox.Contains(px, py)) {
    Notify(msg::kPreviousPageButton, 0);
  } else if (currentPage + 1 < PageCount() && nextBox.Contains(px, py)) {
    Notify(msg::kNextPageButton, 0);
  }
  return true;
}

void PageControl::FlashButton(int which) {
  if (!window) return;
  const platform::Rect& r = CurrentRect();
  const std::int32_t s = Scale();
  std::int32_t x = 0, number = 0;
  if (which == kFlashPrevious) {
    if (currentPage <= 0) return;
    x = r.left + prevX_;
    number = currentPage;
  } else {
    if (currentPage + 1 >= PageCount()) return;
    x = r.left + CurrentWidth() - 4 * s - buttonWidth_;
    number = currentPage + 2;
  }
  platform::Canvas dc = window->GetDC();
  DrawButton(dc, pressedImage_, x, r.top, number, buttonColours_.pressed);
  if (flashPause_) flashPause_();
  DrawButton(dc, normalImage_, x, r.top, number, buttonColours_.normal);
}

}  // namespace ui
