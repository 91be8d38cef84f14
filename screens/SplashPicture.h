#pragma once

#include <cstdint>

#include "platform/gfx/Geometry.h"

namespace screens {

// The one picture of the splash and the About screen, by orientation (0 landscape, 1
// portrait), with the picture area and text colours both share (QVGA values).
inline constexpr const char16_t* kSplashPictureNames[2] = {u"\\misc_resources\\Splash_About_Horizontal.png",
                                                          u"\\misc_resources\\Splash_About_Vertical.png"};
inline constexpr platform::Size kSplashPictureArea[2] = {{320, 189}, {240, 268}};
// Height of the version and credits fonts.
inline constexpr std::int32_t kSplashFontHeight = 11;
inline constexpr platform::Colour kSplashVersionColour = 0x007D6262;

}  // namespace screens
