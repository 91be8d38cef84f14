// The artwork put together: texts readable over every theme, skins clear, pictures fit.
#include "tools/artwork/PngFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using artwork::PngImage;

const fs::path kRoot = VORNALO_RESOURCE_ROOT;

// The ten theme colours, 0xRRGGBB.
constexpr uint32_t kThemes[] = {0x000000, 0x8B8B8B, 0xEFEFEF, 0x473F94, 0x008ED2,
                                0x85C21F, 0xFEDE00, 0xF08817, 0xD90015, 0xDB2B8D};

struct Rect {
  int left, top, right, bottom;  // QVGA
};

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

PngImage Load(const std::string& path, int scale = 1) {
  PngImage image;
  EXPECT_TRUE(artwork::ReadPng(kRoot / (scale == 2 ? "vga" : "qvga") / path, &image)) << path;
  return image;
}

// Mean luminance of the picture blended over a solid colour, inside a rectangle.
double MeanLuminance(const PngImage& image, uint32_t background, const Rect& r) {
  const double bg[3] = {static_cast<double>((background >> 16) & 0xFF), static_cast<double>((background >> 8) & 0xFF),
                        static_cast<double>(background & 0xFF)};
  double sum = 0;
  int count = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      const uint8_t* p = image.Pixel(x, y);
      const double a = p[3] / 255.0;
      double c[3];
      for (int i = 0; i < 3; ++i) c[i] = p[i] * a + bg[i] * (1 - a);
      sum += 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
      ++count;
    }
  }
  return count == 0 ? 0 : sum / count;
}

// A picture drawn over another one of the same size (the console's glass overlay).
PngImage Over(PngImage base, const PngImage& top) {
  for (size_t i = 0; i < base.rgba.size(); i += 4) {
    const double a = top.rgba[i + 3] / 255.0;
    const double b = base.rgba[i + 3] / 255.0;
    const double out = a + b * (1 - a);
    for (int c = 0; c < 3; ++c) {
      const double v = out == 0 ? 0 : (top.rgba[i + c] * a + base.rgba[i + c] * b * (1 - a)) / out;
      base.rgba[i + c] = static_cast<uint8_t>(std::lround(v));
    }
    base.rgba[i + 3] = static_cast<uint8_t>(std::lround(out * 255));
  }
  return base;
}

TEST(ArtworkLook, ThemeColourShowsThroughButBlackTextStaysReadable) {
  struct Case {
    const char* picture;
    Rect textArea;
  };
  // The selected tab's label on the slider, the mini player's caption and times.
  const Case cases[] = {
      {"tab_resources/horizontal_tab_slider_overlay.png", {40, 3, 200, 17}},
      {"tab_resources/vertical_tab_slider_overlay.png", {40, 3, 200, 17}},
      {"miniplayer/horizontal_miniplayer_background.png", {2, 2, 318, 13}},
      {"miniplayer/vertical_miniplayer_background.png", {2, 8, 238, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    const PngImage image = Load(c.picture);
    for (uint32_t theme : kThemes) EXPECT_GT(MeanLuminance(image, theme, c.textArea), 140) << theme;
    EXPECT_GT(MeanLuminance(image, 0xFFFFFF, c.textArea) - MeanLuminance(image, 0x000000, c.textArea), 50);
  }
}

TEST(ArtworkLook, PlayerGlassIsLightUnderTheTrackTextAndDarkUnderTheTimes) {
  struct Case {
    const char* console;
    const char* glass;
    Rect texts[2];  // creator/album line, title
    Rect times[2];  // elapsed, total (15-pixel text at the top of each)
  };
  const Case cases[] = {
      {"player/Horizontal_Player_Console.png", "player/Horizontal_Player_Window_Shadow&Highlight.png",
       {{25, 8, 288, 24}, {25, 23, 288, 41}}, {{27, 62, 62, 77}, {260, 62, 288, 77}}},
      {"player/Vertical_Player_Console.png", "player/Vertical_Player_Window_Shadow&Highlight.png",
       {{31, 28, 214, 45}, {20, 52, 221, 87}}, {{29, 127, 70, 142}, {175, 127, 230, 142}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.console);
    const PngImage player = Over(Load(c.console), Load(c.glass));
    for (uint32_t theme : kThemes) {
      for (const Rect& r : c.texts) EXPECT_GT(MeanLuminance(player, theme, r), 150) << theme;
      for (const Rect& r : c.times) EXPECT_LT(MeanLuminance(player, theme, r), 70) << theme;
    }
  }
}

TEST(ArtworkLook, StripsContrastWithTheirTextColours) {
  struct Case {
    const char* strip;
    bool light;  // dark text on it, or white text
  };
  const Case cases[] = {
      {"list_icon_resources/TabScreen_ListLine_White_Normal_Stretch.png", true},
      {"list_icon_resources/Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png", false},
      {"popup_panel/PopUp_Panel_ListLine_White_Normal_Stretch.png", true},
      {"popup_panel/PopUp_Panel_ListLine_Blue_Selected_Stretch.png", false},
      {"tab_resources/tab_bar_stretch_strip.png", false},  // the grey title
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.strip);
    const PngImage strip = Load(c.strip);
    const double luminance = MeanLuminance(strip, 0, {0, 0, 1, strip.height});
    if (c.light) {
      EXPECT_GT(luminance, 225);
    } else {
      EXPECT_LT(luminance, 90);
    }
  }
}

TEST(ArtworkLook, PopupPanelsAreOpaqueBehindTheTextsAndTranslucentOverTheTint) {
  struct Case {
    const char* panel;
    Rect texts;
    Rect list;  // the list area inside the tint rectangle's outline
  };
  const Case cases[] = {
      {"popup_panel/Horizontal_PopUp_Panel.png", {60, 13, 301, 64}, {12, 70, 308, 165}},
      {"popup_panel/Vertical_PopUp_Panel.png", {17, 52, 227, 120}, {12, 129, 227, 244}},
      {"popup_panel/Horizontal_NewSearch_PopUp_Panel.png", {56, 13, 305, 85}, {12, 95, 308, 165}},
      {"popup_panel/Vertical_NewSearch_PopUp_Panel.png", {16, 51, 226, 119}, {12, 129, 227, 227}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.panel);
    const PngImage panel = Load(c.panel);
    for (int y = c.texts.top; y < c.texts.bottom; ++y) {
      for (int x = c.texts.left; x < c.texts.right; ++x) ASSERT_EQ(panel.Alpha(x, y), 255) << x << "," << y;
    }
    EXPECT_GT(MeanLuminance(panel, 0x000000, c.texts), 200);
    for (int y = c.list.top; y < c.list.bottom; ++y) {
      for (int x = c.list.left; x < c.list.right; ++x) ASSERT_LT(panel.Alpha(x, y), 160) << x << "," << y;
    }
  }
}

TEST(ArtworkLook, SkinsLeaveTheGlassAndThePadClear) {
  struct Orientation {
    const char* prefix;
    Rect glass;
    int padX, padY;
  };
  const Orientation orientations[] = {
      {"player/skins/landscape/l_", {11, 2, 306, 58}, 160, 125},
      {"player/skins/portrait/p_", {13, 9, 225, 147}, 120, 204},
  };
  const int padRadius = 54;
  for (const char* skin : {"Sunburst", "Aurora", "Carbon"}) {
    for (const Orientation& o : orientations) {
      const std::string path = std::string(o.prefix) + skin + ".png";
      SCOPED_TRACE(path);
      const PngImage image = Load(path, 2);
      int painted = 0;
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          const double qx = (x + 0.5) / 2, qy = (y + 0.5) / 2;
          const bool inGlass = qx >= o.glass.left && qx < o.glass.right && qy >= o.glass.top && qy < o.glass.bottom;
          const bool onPad = std::hypot(qx - o.padX, qy - o.padY) <= padRadius;
          if (inGlass || onPad) {
            ASSERT_EQ(image.Alpha(x, y), 0) << x << "," << y;
          } else if (image.Alpha(x, y) > 60) {
            ++painted;
          }
        }
      }
      EXPECT_GT(painted, image.width * image.height / 20);  // the skin does decorate
    }
  }
}

TEST(ArtworkLook, PlayerButtonsFitTheViewWithoutOverlapping) {
  struct Button {
    const char* name;
    int landscape[2];
    int portrait[2];
  };
  const Button buttons[] = {
      {"Previous_Symbol", {139, 72}, {99, 152}},   {"Next_Symbol", {140, 145}, {100, 224}},
      {"Current_Playlist_Symbol", {84, 106}, {44, 185}},
      {"SearchResults_Symbol", {196, 106}, {156, 185}},
      {"Play_Button", {134, 105}, {94, 184}},      {"Pause_Button", {134, 105}, {94, 184}},
  };
  for (int portrait = 0; portrait < 2; ++portrait) {
    const Rect view = portrait ? Rect{0, 0, 240, 268} : Rect{0, 0, 320, 189};
    const Rect glass = portrait ? Rect{13, 9, 225, 147} : Rect{11, 2, 306, 58};
    std::vector<Rect> placed;
    for (const Button& b : buttons) {
      SCOPED_TRACE(b.name);
      const PngImage normal = Load(std::string("player/Main_Player_") + b.name + "_Normal.png");
      const PngImage pressed = Load(std::string("player/Main_Player_") + b.name + "_Clickdown.png");
      EXPECT_EQ(normal.width, pressed.width);
      EXPECT_EQ(normal.height, pressed.height);
      const int* at = portrait ? b.portrait : b.landscape;
      const Rect r{at[0], at[1], at[0] + normal.width, at[1] + normal.height};
      EXPECT_LE(r.right, view.right);
      EXPECT_LE(r.bottom, view.bottom);
      EXPECT_GE(r.top, glass.bottom);
      if (std::string(b.name) == "Pause_Button") continue;  // shares the play button's place
      for (const Rect& other : placed) EXPECT_FALSE(Overlap(r, other));
      placed.push_back(r);
    }
  }
}

TEST(ArtworkLook, PopupIconsStayClearOfTheTextsAndControlsBesideThem) {
  struct Case {
    const char* icon;
    int x, y;
    Rect clear[2];  // the text lines and the control nearest the icon
  };
  const Case cases[] = {
      // Item popup, both orientations: the four lines and the list.
      {"popup_panel/Panel_Floating_AudioCue_Icon.png", 10, 15, {{60, 13, 301, 64}, {12, 70, 308, 165}}},
      {"popup_panel/Panel_Floating_AudioCue_Icon.png", 97, 9, {{17, 52, 227, 120}, {12, 129, 228, 227}}},
      // List popup: the info lines and the page control.
      {"misc_resources/Blue_Color_Sample_Icon.png", 10, 15, {{60, 13, 301, 64}, {46, 46, 307, 69}}},
      {"player/skins/Sunburst_tn.png", 95, 8, {{16, 51, 224, 96}, {12, 102, 222, 122}}},
      // New search: the info lines and the query field.
      {"popup_panel/New_Search_MagGlass_Icon.png", 9, 25, {{60, 13, 301, 40}, {56, 47, 305, 85}}},
      {"popup_panel/New_Search_MagGlass_Icon.png", 97, 8, {{16, 51, 224, 96}, {16, 81, 226, 119}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icon);
    const PngImage icon = Load(c.icon);
    const Rect r{c.x, c.y, c.x + icon.width, c.y + icon.height};
    for (const Rect& other : c.clear) EXPECT_FALSE(Overlap(r, other)) << other.left << "," << other.top;
  }
}

}  // namespace
