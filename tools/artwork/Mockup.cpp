#include "tools/artwork/Mockup.h"

#include "tools/artwork/ArtCanvas.h"
#include "tools/artwork/Layout.h"
#include "tools/artwork/Paint.h"

namespace artwork {
namespace {

using namespace layout;

constexpr int kGap = 12;

class Composer {
 public:
  Composer(const ArtContext& art, const PictureLookup& pictures, uint32_t theme)
      : art_(art), cr_(art.cr), pictures_(pictures), theme_(theme) {}

  // Draws a picture at (x, y) in QVGA units; strips are stretched to width w when w > 0.
  void Picture(const std::string& name, double x, double y, double w = 0, double h = 0) {
    cairo_surface_t* surface = pictures_(name);
    if (surface == nullptr) return;
    const int pw = cairo_image_surface_get_width(surface);
    const int ph = cairo_image_surface_get_height(surface);
    const double sw = pw == 1 ? 1 : pw / static_cast<double>(art_.scale);
    const double sh = ph / static_cast<double>(art_.scale);
    cairo_save(cr_);
    cairo_translate(cr_, x, y);
    cairo_rectangle(cr_, 0, 0, w > 0 ? w : sw, h > 0 ? h : sh);
    cairo_clip(cr_);
    cairo_scale(cr_, (w > 0 ? w : sw) / pw, (h > 0 ? h : sh) / ph);
    cairo_set_source_surface(cr_, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }

  void Fill(double x, double y, double w, double h, uint32_t rgb) {
    cairo_rectangle(cr_, x, y, w, h);
    SetColor(cr_, rgb);
    cairo_fill(cr_);
  }

  void ThemeFill(double x, double y, double w, double h, bool outline) {
    Fill(x, y, w, h, theme_);
    if (outline) {
      cairo_set_line_width(cr_, 1);
      cairo_rectangle(cr_, x + 0.5, y + 0.5, w - 1, h - 1);
      SetColor(cr_, 0x000000);
      cairo_stroke(cr_);
    }
  }

  void Text(const char* text, bool bold, double size, double x, double top, uint32_t rgb,
            TextAlign align = TextAlign::kLeft) {
    SetColor(cr_, rgb);
    DrawText(art_, text, bold, size * 0.8, x, top + size * 0.78, align);
  }

  void TabBar(double width, int selected) {
    const char* labels[] = {"Search Results", "Featured", "Current Playlist", "Player"};
    const char* icons[] = {"searchresults", "featuredstar", "currentplaylist", "player"};
    ThemeFill(0, 0, width, kTabBarHeight, true);
    Picture(width > 300 ? "tab_resources/horizontal_tab_slider_overlay.png"
                        : "tab_resources/vertical_tab_slider_overlay.png", 0, 0);
    for (int i = 0; i < 4; ++i) {
      const double x = i <= selected ? 23 * i + 10 : width - (23 * (4 - i) + 10);
      std::string icon = std::string("tab_resources/") + icons[i];
      if (i != selected) {
        Picture("tab_resources/tab_left_end.png", x, 1);
        Picture("tab_resources/tab_middle.png", x + kTabEndWidth, 1, kTabMiddleWidth,
                kTabPieceHeight);
        Picture("tab_resources/tab_right_end.png", x + kCollapsedTabWidth - kTabEndWidth, 1);
        Picture(icon + "_white_tab_icon_13x13.png", x + 5, 5);
      } else {
        Picture(icon + "_black_tab_icon_13x13.png", x + 4, 5);
      }
    }
    Text(labels[selected], true, 17, 15 + 23 * selected + 15, 2, 0x000000);
  }

  void ListScreen(double width, double height, int rows) {
    Fill(0, 0, width, height, 0xFFFFFF);
    TabBar(width, 1);
    Picture("tab_resources/tab_bar_stretch_strip.png", 0, 20, width, kTitleStripHeight);
    Text("Nov. 3, 2008 - Nov. 17, 2008", true, 16, 3, 25, 0xB3B3B3);
    const double pw = width - 4;
    const double nextX = 4 + pw - 4 - kPageButtonWidth;
    Picture("tab_resources/page_button_normal.png", nextX, 47);
    Text("2", false, 13, nextX + kPageButtonWidth / 2.0, 49, 0xFFFFFF, TextAlign::kCenter);
    Text("Page 1 / 2", false, 13, nextX - 8, 49, 0xFFFFFF, TextAlign::kRight);
    Text("7 items", false, 13, 4, 49, 0xFFFFFF);
    const char* titles[] = {"Late Night Drive", "Morning Coffee", "Rainy Day Jazz",
                            "Summer Road Trip", "Deep Focus"};
    for (int i = 0; i < rows; ++i) {
      const double y = 67 + i * kListRowHeight;
      const bool sel = i == 1;
      Picture(sel ? "list_icon_resources/Selected_Item_Tab_Screen_DkBlue_Stretch_Strip.png"
                  : "list_icon_resources/TabScreen_ListLine_White_Normal_Stretch.png",
              0, y, width, kListRowHeight);
      const char* icon = i == 3 ? "WikipediaCue" : (i == 2 ? "Yellow_AudioCue" : "CueList");
      Picture(std::string("list_resources/") + (sel ? "Selected_" : "Normal_") + icon +
                  "_Icon.png", 1, y + (kListRowHeight - kListIconSize) / 2);
      const uint32_t ink = sel ? 0xFFFFFF : 0x000079;
      Text("Cuelist - 12 total items", false, 12, 31, y, ink);
      Text(titles[i], true, 16, 31, y + 9, ink);
      Text("http://vornalo.example/cuelist/1234", false, 8, 31, y + 23, 0x37B378);
    }
    const double miniH = height - (67 + rows * kListRowHeight);
    const double miniY = height - miniH;
    ThemeFill(0, miniY, width, miniH, false);
    const bool portrait = width < 300;
    Picture(portrait ? "miniplayer/vertical_miniplayer_background.png"
                     : "miniplayer/horizontal_miniplayer_background.png", 0, miniY);
    const double barY = portrait ? kMiniPortraitBarY : kMiniLandscapeBarY;
    Picture("miniplayer/mini_player_load_bar.png", kMiniBarX, miniY + barY, (width - 8) * 0.6,
            kMiniLoadBarHeight);
    Picture("miniplayer/mini_player_progress_handle.png", (width - 8) * 0.35,
            miniY + barY - kMiniHandleHeight / 2.0);
    const double textY = miniY + (portrait ? 7 : 1);
    Text("1:12", true, 12, 2, textY, 0x000000);
    Text("3:05", true, 12, width - 2, textY, 0x000000, TextAlign::kRight);
    Text("Miles Ahead - So What", false, 11, width / 2, miniY + (portrait ? 8 : 2), 0x000000,
         TextAlign::kCenter);
  }

  void ItemPopup(double width) {
    const bool portrait = width < 300;
    const int* tint = portrait ? kPortraitTint : kLandscapeTint;
    ThemeFill(tint[0], tint[1], tint[2] - tint[0], tint[3] - tint[1], true);
    Picture(portrait ? "popup_panel/Vertical_PopUp_Panel.png"
                     : "popup_panel/Horizontal_PopUp_Panel.png", 0, 0);
    Picture("popup_panel/Panel_Floating_AudioCue_Icon.png", portrait ? 97 : 10, portrait ? 9 : 15);
    const double tx = portrait ? 17 : 60;
    const double ty[4] = {portrait ? 52.0 : 13.0, portrait ? 65.0 : 26.0, portrait ? 77.0 : 39.0,
                          portrait ? 92.0 : 55.0};
    Text("AudioCue", true, 13, tx, ty[0], 0x000000);
    Text("Miles Ahead - Kind of Blue", false, 14, tx, ty[1], 0x000000);
    Text("So What", true, 16, tx, ty[2], 0x000000);
    Text("http://vornalo.example/audio/88", false, 8, tx, ty[3], 0x37B378);
    const char* entries[] = {"Add to Current Playlist", "Replace Current Playlist",
                             "Purchase (Launches Browser)..."};
    const double listY = portrait ? 129 : 70;
    for (int i = 0; i < 3; ++i) {
      const double y = listY + i * kPopupRowHeight;
      Picture(i == 0 ? "popup_panel/PopUp_Panel_ListLine_Blue_Selected_Stretch.png"
                     : "popup_panel/PopUp_Panel_ListLine_White_Normal_Stretch.png",
              12, y, (portrait ? 228 : 308) - 12, kPopupRowHeight);
      Text(entries[i], true, 13, 15, y + 3, i == 0 ? 0xFFFFFF : 0x000000);
    }
  }

  void Player(bool portrait, const std::string& skin) {
    const double w = portrait ? kPortraitWidth : kLandscapeWidth;
    const double h = portrait ? kPortraitHeight : kLandscapeHeight;
    const std::string o = portrait ? "Vertical" : "Horizontal";
    ThemeFill(0, 0, w, h, false);
    Picture("player/" + o + "_Player_Console.png", 0, 0);
    Text("Miles Ahead - Kind of Blue", false, 15, w / 2, portrait ? 28 : 8, 0x000000,
         TextAlign::kCenter);
    Text("So What", true, 18, w / 2, portrait ? 52 : 23, 0x000000, TextAlign::kCenter);
    Picture("player/" + o + "_Player_Window_Shadow&Highlight.png", 0, 0);
    if (!skin.empty()) {
      Picture("player/skins/" + std::string(portrait ? "portrait/p_" : "landscape/l_") + skin +
                  ".png", 0, 0);
    }
    Text("1:12", true, 15, portrait ? 29 : 27, portrait ? 127 : 62, 0xBFBFBF);
    Text("9:22", true, 15, portrait ? 175 : 260, portrait ? 127 : 62, 0xBFBFBF);
    const int* bar = portrait ? kPortraitBar : kLandscapeBar;
    Picture("player/Main_Players_Load_Bar_Stretchable_Strip.png", bar[0], bar[1], bar[2] * 0.7,
            kLoadBarHeight);
    Picture("player/Main_Players_Gauge_Handle.png", bar[0] + bar[2] * 0.3,
            bar[1] - static_cast<double>(kGaugeHandleRise) / art_.scale);
    Picture("player/" + o + "_Player_Window_Shadow_Highlight_Progress.png", bar[0] - 4, bar[1] - 4);
    Picture("player/Glass_Crack_2.png", portrait ? 170 : 250, portrait ? 20 : 6);
    const double p[5][2] = {{139, 72}, {140, 145}, {84, 106}, {196, 106}, {134, 105}};
    const double pp[5][2] = {{99, 152}, {100, 224}, {44, 185}, {156, 185}, {94, 184}};
    const char* names[] = {"Previous_Symbol_Normal", "Next_Symbol_Normal",
                           "Current_Playlist_Symbol_Normal", "SearchResults_Symbol_Clickdown",
                           "Pause_Button_Normal"};
    for (int i = 0; i < 5; ++i) {
      const double x = portrait ? pp[i][0] : p[i][0];
      const double y = portrait ? pp[i][1] : p[i][1];
      Picture("player/Main_Player_" + std::string(names[i]) + ".png", x, y);
    }
  }

 private:
  const ArtContext& art_;
  cairo_t* cr_;
  const PictureLookup& pictures_;
  uint32_t theme_;
};

}  // namespace

bool WriteMockup(const std::filesystem::path& path, const PictureLookup& pictures,
                 const Fonts& fonts, int scale, uint32_t theme, const std::string& skin,
                 std::string& error) {
  const int width = 3 * kPortraitWidth + 2 * kLandscapeWidth + 6 * kGap;
  const int height = 188 + kLandscapeHeight + 3 * kGap;
  ArtCanvas canvas(width, height, scale, true);
  const ArtContext art{canvas.Context(), scale, &fonts};
  Composer composer(art, pictures, theme);
  cairo_t* cr = art.cr;
  SetColor(cr, 0x505560);
  cairo_paint(cr);
  auto at = [&](double x, double y, double w, double h, const std::function<void()>& draw) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_clip(cr);
    draw();
    cairo_restore(cr);
  };
  double x = kGap;
  at(x, kGap, kPortraitWidth, kPortraitHeight, [&] { composer.ListScreen(kPortraitWidth, kPortraitHeight, 5); });
  x += kPortraitWidth + kGap;
  at(x, kGap, kPortraitWidth, kPortraitHeight, [&] {
    composer.ListScreen(kPortraitWidth, kPortraitHeight, 5);
    composer.ItemPopup(kPortraitWidth);
  });
  x += kPortraitWidth + kGap;
  at(x, kGap, kPortraitWidth, kPortraitHeight, [&] { composer.Player(true, skin); });
  x += kPortraitWidth + kGap;
  at(x, kGap, kLandscapeWidth, 188, [&] { composer.ListScreen(kLandscapeWidth, 188, 3); });
  at(x, 2 * kGap + 188, kLandscapeWidth, 188, [&] {
    composer.ListScreen(kLandscapeWidth, 188, 3);
    composer.ItemPopup(kLandscapeWidth);
  });
  x += kLandscapeWidth + kGap;
  at(x, kGap, kLandscapeWidth, kLandscapeHeight, [&] { composer.Player(false, skin); });
  at(x, 2 * kGap + 188, kLandscapeWidth, kLandscapeHeight, [&] { composer.Player(false, ""); });
  return canvas.Save(path, error);
}

}  // namespace artwork
