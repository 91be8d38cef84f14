// Every resource the client loads exists in qvga/ and vga/ at its size and pixel format.
#include "tests/support/TempDir.h"
#include "tools/artwork/ArtworkGenerator.h"
#include "tools/artwork/Fonts.h"
#include "tools/artwork/PngFile.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using artwork::PngImage;
using artwork::ReadPng;

const fs::path kRoot = VORNALO_RESOURCE_ROOT;

enum Loader { kPng, kShell };

struct Expected {
  const char* path;
  int width;  // QVGA
  int height;
  Loader loader;
};

// The folder layout the client expects, with the sizes its layouts need (tools/artwork/README.md).
const Expected kLayout[] = {
    {"list_resources/Normal_CueList_Icon.png", 26, 26, kPng},
    {"list_resources/Selected_CueList_Icon.png", 26, 26, kPng},
    {"list_resources/Normal_WikipediaCue_Icon.png", 26, 26, kPng},
    {"list_resources/Selected_WikipediaCue_Icon.png", 26, 26, kPng},
    {"list_resources/Normal_Blue_AudioCue_Icon.png", 26, 26, kPng},
    {"list_resources/Selected_Blue_AudioCue_Icon.png", 26, 26, kPng},
    {"list_resources/Normal_Yellow_AudioCue_Icon.png", 26, 26, kPng},
    {"list_resources/Selected_Yellow_AudioCue_Icon.png", 26, 26, kPng},
    {"list_icon_resources/TabScreen_ListLine_White_Normal_Stretch.png", 1, 33, kShell},
    {"list_icon_resources/Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png", 1, 33, kShell},
    {"tab_resources/tab_left_end.png", 5, 19, kPng}, {"tab_resources/tab_right_end.png", 5, 19, kPng},
    {"tab_resources/horizontal_tab_slider_overlay.png", 320, 20, kPng},
    {"tab_resources/vertical_tab_slider_overlay.png", 240, 20, kPng},
    {"tab_resources/tab_middle.png", 13, 19, kShell}, {"tab_resources/tab_bar_stretch_strip.png", 1, 47, kShell},
    {"tab_resources/page_button_normal.png", 26, 18, kPng}, {"tab_resources/page_button_clickdown.png", 26, 18, kPng},
    {"tab_resources/player_black_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/player_white_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/currentplaylist_black_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/currentplaylist_white_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/featuredstar_black_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/featuredstar_white_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/searchresults_black_tab_icon_13x13.png", 13, 13, kPng},
    {"tab_resources/searchresults_white_tab_icon_13x13.png", 13, 13, kPng},
    {"popup_panel/Horizontal_PopUp_Panel.png", 320, 189, kPng},
    {"popup_panel/Vertical_PopUp_Panel.png", 240, 268, kPng},
    {"popup_panel/Horizontal_NewSearch_PopUp_Panel.png", 320, 189, kPng},
    {"popup_panel/Vertical_NewSearch_PopUp_Panel.png", 240, 268, kPng},
    {"popup_panel/PopUp_Panel_Paging_Button_Normal.png", 26, 18, kPng},
    {"popup_panel/PopUp_Panel_Paging_Button_Clickdown.png", 26, 18, kPng},
    {"popup_panel/Panel_Floating_AudioCue_Icon.png", 44, 40, kPng},
    {"popup_panel/Panel_Floating_CueList_Icon.png", 44, 40, kPng},
    {"popup_panel/Panel_Floating_WikipediaCue_Icon.png", 44, 40, kPng},
    {"popup_panel/Horizontal_PopUp_NewSearch_Query_Field.png", 249, 38, kPng},
    {"popup_panel/Vertical_PopUp_NewSearch_Query_Field.png", 210, 38, kPng},
    {"popup_panel/New_Search_MagGlass_Icon.png", 44, 40, kPng},
    {"popup_panel/PopUp_Panel_ListLine_White_Normal_Stretch.png", 1, 19, kShell},
    {"popup_panel/PopUp_Panel_ListLine_Blue_Selected_Stretch.png", 1, 19, kShell},
    {"miniplayer/mini_player_progress_handle.png", 8, 12, kPng},
    {"miniplayer/vertical_miniplayer_background.png", 240, 36, kPng},
    {"miniplayer/horizontal_miniplayer_background.png", 320, 22, kPng},
    {"miniplayer/mini_player_load_bar.png", 1, 4, kShell}, {"player/Main_Players_Gauge_Handle.png", 7, 14, kPng},
    {"player/Vertical_Player_Window_Shadow&Highlight.png", 240, 268, kPng},
    {"player/Horizontal_Player_Window_Shadow&Highlight.png", 320, 189, kPng},
    {"player/Vertical_Player_Window_Shadow_Highlight_Progress.png", 197, 14, kPng},
    {"player/Horizontal_Player_Window_Shadow_Highlight_Progress.png", 274, 14, kPng},
    {"player/Vertical_Player_Console.png", 240, 268, kPng}, {"player/Horizontal_Player_Console.png", 320, 189, kPng},
    {"player/Glass_Crack_1.png", 40, 40, kPng}, {"player/Glass_Crack_2.png", 48, 36, kPng},
    {"player/Glass_Crack_3.png", 36, 48, kPng}, {"player/Glass_Crack_4.png", 44, 44, kPng},
    {"player/Main_Player_Pause_Button_Normal.png", 52, 40, kPng},
    {"player/Main_Player_Pause_Button_Clickdown.png", 52, 40, kPng},
    {"player/Main_Player_Play_Button_Normal.png", 52, 40, kPng},
    {"player/Main_Player_Play_Button_Clickdown.png", 52, 40, kPng},
    {"player/Main_Player_SearchResults_Symbol_Normal.png", 50, 38, kPng},
    {"player/Main_Player_SearchResults_Symbol_Clickdown.png", 50, 38, kPng},
    {"player/Main_Player_Current_Playlist_Symbol_Normal.png", 50, 38, kPng},
    {"player/Main_Player_Current_Playlist_Symbol_Clickdown.png", 50, 38, kPng},
    {"player/Main_Player_Next_Symbol_Normal.png", 40, 32, kPng},
    {"player/Main_Player_Next_Symbol_Clickdown.png", 40, 32, kPng},
    {"player/Main_Player_Previous_Symbol_Normal.png", 42, 32, kPng},
    {"player/Main_Player_Previous_Symbol_Clickdown.png", 42, 32, kPng},
    {"player/Main_Players_Load_Bar_Stretchable_Strip.png", 1, 6, kShell}, {"player/missing_tn.png", 36, 36, kPng},
    {"player/skins/Sunburst_tn.png", 36, 36, kPng}, {"player/skins/portrait/p_Sunburst.png", 240, 268, kPng},
    {"player/skins/landscape/l_Sunburst.png", 320, 189, kPng}, {"player/skins/Aurora_tn.png", 36, 36, kPng},
    {"player/skins/portrait/p_Aurora.png", 240, 268, kPng}, {"player/skins/landscape/l_Aurora.png", 320, 189, kPng},
    {"player/skins/Carbon_tn.png", 36, 36, kPng}, {"player/skins/portrait/p_Carbon.png", 240, 268, kPng},
    {"player/skins/landscape/l_Carbon.png", 320, 189, kPng},
    {"misc_resources/Black_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Titanium_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/White_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Purple_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Blue_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Green_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Yellow_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Orange_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Red_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Magenta_Color_Sample_Icon.png", 36, 36, kPng},
    {"misc_resources/Splash_About_Vertical.png", 240, 268, kShell},
    {"misc_resources/Splash_About_Horizontal.png", 320, 189, kShell},
};

std::vector<fs::path> FilesUnder(const fs::path& root) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Both folders hold exactly the layout's files, VGA at twice the size (strips stay 1 px wide).
TEST(ArtworkFiles, EveryLayoutFileExistsInBothFoldersWithItsSizeAndFormat) {
  std::vector<fs::path> layout;
  for (const Expected& expected : kLayout) layout.push_back(expected.path);
  std::sort(layout.begin(), layout.end());
  EXPECT_EQ(FilesUnder(kRoot / "qvga"), layout);
  EXPECT_EQ(FilesUnder(kRoot / "vga"), layout);
  for (const Expected& expected : kLayout) {
    for (int scale : {1, 2}) {
      SCOPED_TRACE(std::string(artwork::FolderForScale(scale)) + "/" + expected.path);
      PngImage image;
      ASSERT_TRUE(ReadPng(kRoot / artwork::FolderForScale(scale) / expected.path, &image));
      EXPECT_EQ(image.width, expected.width == 1 ? 1 : expected.width * scale);
      EXPECT_EQ(image.height, expected.height * scale);
      EXPECT_EQ(image.bitDepth, 8);
      // The PNG loader needs real alpha; opaque pictures go through the bitmap loader without it.
      EXPECT_EQ(image.colorType, expected.loader == kPng ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB);
      EXPECT_FALSE(image.hasTransparencyChunk);
      // The loader composites onto a bKGD colour and re-maps colours for gAMA.
      EXPECT_FALSE(image.hasBackgroundChunk);
      EXPECT_FALSE(image.hasGammaChunk);
    }
  }
}

TEST(ArtworkFiles, PicturesWithAlphaUseIt) {
  // An RGBA file that is opaque everywhere would hide the theme colour or the screen below.
  for (const Expected& expected : kLayout) {
    if (expected.loader != kPng) continue;
    SCOPED_TRACE(expected.path);
    PngImage image;
    ASSERT_TRUE(ReadPng(kRoot / "qvga" / expected.path, &image));
    bool seeThrough = false;
    for (int y = 0; y < image.height && !seeThrough; ++y) {
      for (int x = 0; x < image.width && !seeThrough; ++x) seeThrough = image.Alpha(x, y) < 255;
    }
    EXPECT_TRUE(seeThrough);
  }
}

TEST(ArtworkFiles, TwoRunsWriteIdenticalBytes) {
  testsupport::TempDir dir;
  artwork::GeneratorOptions options;
  options.outputDir = dir.Path();
  options.fontDir = artwork::kDefaultFontDir;
  std::string error;
  ASSERT_TRUE(artwork::GenerateArtwork(options, error)) << error;
  for (const char* folder : {"qvga", "vga"}) {
    const std::vector<fs::path> files = FilesUnder(dir / folder);
    ASSERT_EQ(files, FilesUnder(kRoot / folder));
    for (const fs::path& file : files) {
      SCOPED_TRACE(file.string());
      const std::string fresh = testsupport::ReadFile(dir / folder / file);
      EXPECT_FALSE(fresh.empty());
      EXPECT_TRUE(fresh == testsupport::ReadFile(kRoot / folder / file));
    }
  }
}

TEST(ArtworkFiles, GeneratorReportsAMissingFontInsteadOfDrawingWithoutText) {
  testsupport::TempDir dir;
  artwork::GeneratorOptions options;
  options.outputDir = dir.Path();
  options.fontDir = (dir / "no-fonts-here").string();
  std::string error;
  EXPECT_FALSE(artwork::GenerateArtwork(options, error));
  EXPECT_NE(error.find("DejaVuSans"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "qvga"));
}

}  // namespace
