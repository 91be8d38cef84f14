#include "ui/TabBar.h"

#include "ui/ControlMessages.h"
#include "ui/ResourceImages.h"
#include "ui/ViewMetrics.h"

namespace ui {
namespace {

constexpr std::int32_t kPieceHeight = 19;
constexpr std::int32_t kLabelFontHeight = 17;
constexpr std::int32_t kLabelFontWidth = 8;  // not scaled
constexpr std::int32_t kLabelFontWeight = 700;

}  // namespace

int TabBar::Create(const platform::Rect rects[2], std::int32_t iconWidth, platform::Window& owner,
                   std::uintptr_t notifyCookie) {
  View::Create(rects, owner, notifyCookie);
  iconArea = iconWidth;
  int result = LoadResourcePng(leftEnd_, u"\\tab_resources\\tab_left_end.png");
  if (result == 1) result = LoadResourceBitmap(middle_, u"\\tab_resources\\tab_middle.png");
  if (result == 1) result = LoadResourcePng(rightEnd_, u"\\tab_resources\\tab_right_end.png");
  if (result == 1) result = LoadResourcePng(sliderOverlay_[0], u"\\tab_resources\\horizontal_tab_slider_overlay.png");
  if (result == 1) result = LoadResourcePng(sliderOverlay_[1], u"\\tab_resources\\vertical_tab_slider_overlay.png");
  if (result != 1) return result;
  leftEndWidth_ = leftEnd_.Width();
  rightEndWidth_ = rightEnd_.Width();
  middleWidth_ = middle_->Width();
  labelFont_ = platform::Font::Create(kLabelFontHeight * Scale(), kLabelFontWeight, kLabelFontWidth);
  return 1;
}

int TabBar::AddTab(const char16_t* label, const char* whiteIconName, const char* blackIconName) {
  if (!label || std::char_traits<char16_t>::length(label) > kMaxLabelLength) return 0;
  auto tab = std::make_unique<Tab>();
  tab->label = label;
  int result = LoadResourcePng(tab->icons[0], whiteIconName);
  if (result == 1) result = LoadResourcePng(tab->icons[1], blackIconName);
  if (result != 1) return result;
  tab->hitRect = CurrentRect();
  tabs_.push_back(std::move(tab));
  return 1;
}

bool TabBar::OnKey(std::uint32_t) { return false; }

std::int32_t TabBar::TabX(std::size_t i) const {
  const std::int32_t s = Scale(), n = static_cast<std::int32_t>(tabs_.size());
  const auto index = static_cast<std::int32_t>(i);
  if (index <= selected) return (kCollapsedWidth * index + 10) * s;
  return CurrentWidth() - (kCollapsedWidth * (n - index) + 10) * s;
}

std::int32_t TabBar::LabelX() const {
  return CurrentRect().left + iconArea + (kCollapsedWidth * selected + 15) * Scale();
}

void TabBar::Paint(platform::Canvas& dc) {
  const std::int32_t s = Scale();
  const int o = Orientation();
  const platform::Rect& r = rect[o];
  const std::int32_t w = width[o];

  const platform::Pen oldPen = dc.SelectPen(platform::Pen{});
  const platform::Brush oldBrush =
      dc.SelectBrush(platform::Brush{platform::Brush::Style::kSolid, themeColour_ ? themeColour_() : 0});
  dc.Rectangle(platform::Rect{r.left, 0, r.left + w, height[o]});
  dc.SelectPen(oldPen);
  dc.SelectBrush(oldBrush);
  sliderOverlay_[o].DrawAlpha(dc, r.left, 0);

  const std::int32_t collapsed = kCollapsedWidth * s;
  for (std::size_t i = 0; i < tabs_.size(); ++i) {
    Tab& tab = *tabs_[i];
    const std::int32_t x = TabX(i);
    const bool isSelected = static_cast<std::int32_t>(i) == selected;
    tab.hitRect.left = x;
    if (!isSelected) {
      tab.hitRect.right = x + collapsed + leftEndWidth_;
      leftEnd_.DrawAlpha(dc, r.left + x, r.top + s);
      if (middle_) {
        platform::Canvas middle(*middle_);
        dc.StretchBlt(platform::Rect::FromSize(r.left + leftEndWidth_ + x, r.top + s,
                                               collapsed - leftEndWidth_ - rightEndWidth_, kPieceHeight * s),
                      middle, platform::Rect{0, 0, middleWidth_, kPieceHeight * s});
      }
      rightEnd_.DrawAlpha(dc, r.left + x + collapsed - rightEndWidth_, r.top + s);
    }
    const std::int32_t offset = isSelected ? 4 * s : (25 * s - iconArea) / 2;
    tab.icons[isSelected ? 1 : 0].DrawAlpha(dc, r.left + x + offset, r.top + 5 * s);
  }

  if (selected >= 0 && static_cast<std::size_t>(selected) < tabs_.size()) {
    label_.Set(labelFont_.get(), tabs_[static_cast<std::size_t>(selected)]->label);
    const platform::Rect clip{r.left, 0, r.left + w, height[o]};
    label_.Draw(dc, LabelX(), r.top + 2 * s, clip, dc.TextColor());
  }
}

bool TabBar::OnTap(std::int32_t x, std::int32_t y) {
  if (!CurrentRect().Contains(x, y)) return false;
  bool hit = false;
  for (std::size_t i = 0; i < tabs_.size(); ++i) {
    const auto index = static_cast<std::int32_t>(i);
    if (tabs_[i]->hitRect.Contains(x, y) && index != selected) {
      selected = index;
      Notify(msg::kTabSelected, index);
      hit = true;
    }
  }
  return hit;
}

void TabBar::DrawFocus(platform::Canvas& dc) {
  const std::int32_t s = Scale(), n = static_cast<std::int32_t>(tabs_.size());
  const std::int32_t w = CurrentWidth(), f = focusTab, piece = kCollapsedWidth * s;
  std::int32_t left = 0, right = 0;
  if (f < selected) {
    left = kCollapsedWidth * f * s;
    right = left + piece;
  } else if (f > selected) {
    left = w - kCollapsedWidth * (n - f) * s;
    right = left + piece;
  } else if (f == n - 1) {
    left = kCollapsedWidth * f * s;
    right = w;
  } else {
    left = kCollapsedWidth * f * s;
    right = w - kCollapsedWidth * (n - f - 1) * s;
  }
  const platform::Pen oldPen = dc.SelectPen(platform::Pen{platform::Pen::Style::kDash, 0x0000FF});
  const platform::Brush oldBrush = dc.SelectBrush(platform::Brush{platform::Brush::Style::kHollow, 0});
  dc.Rectangle(platform::Rect{left, CurrentRect().top + 1, right, CurrentHeight() - 1});
  dc.SelectPen(oldPen);
  dc.SelectBrush(oldBrush);
}

}  // namespace ui
