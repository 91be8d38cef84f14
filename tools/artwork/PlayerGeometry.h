#pragma once

#include "tools/artwork/Layout.h"

#include <vector>

namespace artwork {

// Where the console's parts lie in one orientation (QVGA units), from the player's layout.
struct PlayerGeometry {
  bool portrait;
  double width, height;
  double glassX, glassY, glassW, glassH;
  double bandTop;  // the dark status band of the glass starts here
  double barX, barY, barW;
  double padX, padY;
  // The two text lines on the glass (left, top, right, bottom), which skins leave clear.
  double textRect[4];
  std::vector<std::vector<double>> grilles;  // x, y, columns, rows
};

inline PlayerGeometry LandscapePlayer() {
  using namespace layout;
  return {false, kLandscapeWidth, kLandscapeHeight,
          kLandscapeGlass[0], kLandscapeGlass[1],
          kLandscapeGlass[2] - kLandscapeGlass[0], kLandscapeGlass[3] - kLandscapeGlass[1],
          kLandscapeBandTop, kLandscapeBar[0], kLandscapeBar[1], kLandscapeBar[2],
          kLandscapePadCenter[0], kLandscapePadCenter[1],
          {25, 8, 288, 43},
          {{30, 102, 12, 14}, {232, 102, 12, 14}}};
}

inline PlayerGeometry PortraitPlayer() {
  using namespace layout;
  return {true, kPortraitWidth, kPortraitHeight,
          kPortraitGlass[0], kPortraitGlass[1],
          kPortraitGlass[2] - kPortraitGlass[0], kPortraitGlass[3] - kPortraitGlass[1],
          kPortraitBandTop, kPortraitBar[0], kPortraitBar[1], kPortraitBar[2],
          kPortraitPadCenter[0], kPortraitPadCenter[1],
          {20, 28, 221, 87},
          {{12, 214, 7, 10}, {196, 214, 7, 10}}};
}

}  // namespace artwork
