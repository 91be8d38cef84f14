#pragma once

// Sizes and places of the artwork in QVGA pixels (VGA doubles them). Places are the client's
// own layout values; sizes are chosen so that every picture fits the view that draws it.
namespace artwork::layout {

// Full-window pictures.
constexpr int kLandscapeWidth = 320;
constexpr int kLandscapeHeight = 189;
constexpr int kPortraitWidth = 240;
constexpr int kPortraitHeight = 268;

// Lists: the row band, the line strip and the row icons.
constexpr int kListRowHeight = 33;
constexpr int kListIconSize = 26;

// Tab bar: 20 high; tab pieces 19 high at y 1, collapsed tabs 23 wide.
constexpr int kTabBarHeight = 20;
constexpr int kTabPieceHeight = 19;
constexpr int kCollapsedTabWidth = 23;
constexpr int kTabEndWidth = 5;
constexpr int kTabMiddleWidth = kCollapsedTabWidth - 2 * kTabEndWidth;
constexpr int kTabIconSize = 13;
constexpr int kTitleStripHeight = 47;
constexpr int kPageButtonWidth = 26;
constexpr int kPageButtonHeight = 18;

// Popup panels.
constexpr int kPopupRowHeight = 19;
constexpr int kFloatingIconWidth = 44;
constexpr int kFloatingIconHeight = 40;
constexpr int kSampleIconSize = 36;  // colour samples, skin thumbnails, missing_tn
constexpr int kQueryFieldHeight = 38;
constexpr int kLandscapeQueryFieldWidth = 249;
constexpr int kPortraitQueryFieldWidth = 210;
// Tint rectangles (left, top, right, bottom).
constexpr int kLandscapeTint[4] = {11, 37, 309, 175};
constexpr int kPortraitTint[4] = {11, 123, 228, 254};

// Mini player.
constexpr int kMiniLandscapeHeight = 22;
constexpr int kMiniPortraitHeight = 36;
constexpr int kMiniLoadBarHeight = 4;
constexpr int kMiniLandscapeBarY = 15;
constexpr int kMiniPortraitBarY = 25;
constexpr int kMiniBarX = 3;
constexpr int kMiniHandleWidth = 8;
constexpr int kMiniHandleHeight = 12;

// Player console.
constexpr int kLoadBarHeight = 6;
constexpr int kGaugeHandleWidth = 7;
constexpr int kGaugeHandleHeight = 14;
constexpr int kGaugeHandleRise = 4;  // the handle is drawn this many unscaled pixels above the bar
constexpr int kProgressOverlayMargin = 4;
constexpr int kLandscapeBar[3] = {27, 45, 266};  // x, y, full width
constexpr int kPortraitBar[3] = {25, 99, 189};
constexpr int kLandscapeGlass[4] = {11, 2, 306, 58};
constexpr int kPortraitGlass[4] = {13, 9, 225, 147};  // the visible glass holds the times too
constexpr int kLandscapeBandTop = 41;  // the dark status band of the glass starts here
constexpr int kPortraitBandTop = 92;
constexpr int kPadRadius = 54;
constexpr int kLandscapePadCenter[2] = {160, 125};
constexpr int kPortraitPadCenter[2] = {120, 204};

// Player buttons (the Normal and Clickdown images of one button share a size).
constexpr int kPlayButtonWidth = 52;
constexpr int kPlayButtonHeight = 40;
constexpr int kSideButtonWidth = 50;
constexpr int kSideButtonHeight = 38;
constexpr int kPreviousButtonWidth = 42;
constexpr int kNextButtonWidth = 40;
constexpr int kSkipButtonHeight = 32;
// Offsets of each symbol's centre inside its image, so that the symbols sit on the pad.
constexpr double kSkipSymbolY = 16;
constexpr double kPlaylistSymbolX = 31;
constexpr double kSearchSymbolX = 9;

}  // namespace artwork::layout

namespace artwork::layout {

// Splash and About: the light band at the foot, above the credits and version lines.
constexpr double kLandscapeSplashBand = 155;
constexpr double kPortraitSplashBand = 229;

}  // namespace artwork::layout
