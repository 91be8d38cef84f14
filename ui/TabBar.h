#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/text/Font.h"
#include "ui/STScreenBuffer.h"
#include "ui/TextImage.h"
#include "ui/ThemeColour.h"
#include "ui/View.h"

namespace ui {

// The strip across the top of the window that switches between the main screens. The
// selected tab is wide, with its black icon and label over the light slider; every other
// tab is a narrow collapsed piece with its white icon. Tabs up to the selected one stack
// from the left edge, the rest from the right. A tap on a collapsed tab selects it and posts
// msg::kTabSelected (cookie, index); the bar does not redraw itself.
class TabBar : public View {
 public:
  // Labels are held in a 256-character field: at most this many characters.
  static constexpr std::size_t kMaxLabelLength = 253;
  // A collapsed tab is this wide (times the scale factor).
  static constexpr std::int32_t kCollapsedWidth = 23;

  struct Tab {
    std::u16string label;
    // [0] the white icon of a collapsed tab, [1] the black icon of the selected tab.
    STScreenBuffer icons[2];
    // Top and bottom from the bar's rectangle when added; left and right set at every paint.
    platform::Rect hitRect;
  };

  // The View create, then the tab pieces and both slider overlays, stopping at the first
  // failure: 1, 1001 or 1002. iconArea is the width kept for an icon (the application
  // passes 15·s).
  int Create(const platform::Rect rects[2], std::int32_t iconArea, platform::Window& owner,
             std::uintptr_t notifyCookie);
  // Adds a tab with its label and icons (narrow relative resource names). 0 for a null label
  // or one longer than kMaxLabelLength; 1001 / 1002 when an icon does not load (the tab is
  // then not added); 1 otherwise.
  int AddTab(const char16_t* label, const char* whiteIconName, const char* blackIconName);
  void SetThemeColourSource(ThemeColourSource source) { themeColour_ = std::move(source); }

  bool OnKey(std::uint32_t virtualKey) override;
  bool OnTap(std::int32_t x, std::int32_t y) override;
  // The keyboard focus mark round focusTab: a dashed red rectangle.
  void DrawFocus(platform::Canvas& dc) override;
  void Paint(platform::Canvas& dc) override;

  // The left edge of tab i in the current orientation, as the last paint placed it.
  std::int32_t TabX(std::size_t i) const;
  std::size_t TabCount() const { return tabs_.size(); }
  const Tab& GetTab(std::size_t i) const { return *tabs_[i]; }
  // Where the selected tab's label starts (control coordinates).
  std::int32_t LabelX() const;

  // Set by the main window when it switches screens or moves the focus.
  std::int32_t selected = 0;
  std::int32_t focusTab = 0;
  std::int32_t iconArea = 0;

 private:
  using View::Create;

  STScreenBuffer sliderOverlay_[2];
  STScreenBuffer leftEnd_;
  std::unique_ptr<platform::Surface> middle_;
  STScreenBuffer rightEnd_;
  std::int32_t leftEndWidth_ = 0;
  std::int32_t rightEndWidth_ = 0;
  std::int32_t middleWidth_ = 0;
  std::vector<std::unique_ptr<Tab>> tabs_;
  std::unique_ptr<platform::Font> labelFont_;
  TextImage label_;
  ThemeColourSource themeColour_;
};

}  // namespace ui
