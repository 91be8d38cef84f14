#include "tools/gallery/Gallery.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/ScreenMetrics.h"
#include "platform/TextCodec.h"
#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace gallery {
namespace {

namespace wm = platform::wm;
namespace vk = platform::vk;
using platform::Rect;

constexpr std::uintptr_t kBaseCookie = 1;
constexpr std::uintptr_t kPopupCookie = 2;
constexpr std::uint32_t kSampleCommand = wm::kUser + 901;

struct Theme {
  const char* name;
  platform::Colour colour;
};
constexpr Theme kThemes[] = {
    {"Basic Black", 0x000000},     {"Titanium Gray", 0x8B8B8B},   {"Modernist White", 0xEFEFEF},
    {"Wild Purple", 0x943F47},     {"Jazzy Blue", 0xD28E00},      {"Go-Go Green", 0x1FC285},
    {"Electric Yellow", 0x00DEFE}, {"Juicy Orange", 0x1788F0},    {"RPM Red", 0x1500D9},
    {"Gothic Magenta", 0x8D2BDB},
};

constexpr const char* kSceneNames[] = {"list", "tabs", "item", "themes", "search"};

// Both rectangles of a control from QVGA values, scaled.
struct Rects {
  Rect r[2];
  Rects(Rect landscape, Rect portrait) {
    const std::int32_t s = ui::Scale();
    r[0] = Rect{landscape.left * s, landscape.top * s, landscape.right * s, landscape.bottom * s};
    r[1] = Rect{portrait.left * s, portrait.top * s, portrait.right * s, portrait.bottom * s};
  }
};

platform::Point Scaled(std::int32_t x, std::int32_t y) { return platform::Point{x * ui::Scale(), y * ui::Scale()}; }

}  // namespace

bool Gallery::ParseScene(const std::string& name, Scene& scene) {
  for (std::size_t i = 0; i < std::size(kSceneNames); ++i) {
    if (name == kSceneNames[i]) {
      scene = static_cast<Scene>(i);
      return true;
    }
  }
  return false;
}

platform::Colour Gallery::Theme() const { return kThemes[theme_].colour; }

void Gallery::Log(const std::string& line) const {
  std::printf("gallery: %s\n", line.c_str());
  std::fflush(stdout);
}

int Gallery::CreateControls(platform::Window& window) {
  auto theme = [this] { return Theme(); };
  const std::int32_t s = ui::Scale();
  int result = bar_.Create(Rects({0, 0, 320, 20}, {0, 0, 240, 20}).r, 15 * s, window, kBaseCookie);
  const char* icons[4] = {"searchresults", "featuredstar", "currentplaylist", "player"};
  const char16_t* labels[4] = {u"Search Results", u"Featured", u"Current Playlist", u"Player"};
  for (int i = 0; i < 4 && result == 1; ++i) {
    const std::string white = std::string("\\tab_resources\\") + icons[i] + "_white_tab_icon_13x13.png";
    const std::string black = std::string("\\tab_resources\\") + icons[i] + "_black_tab_icon_13x13.png";
    result = bar_.AddTab(labels[i], white.c_str(), black.c_str());
  }
  bar_.SetThemeColourSource(theme);
  bar_.selected = 1;
  if (result == 1) result = title_.Create(Rects({0, 20, 320, 67}, {0, 20, 240, 67}).r, window, kBaseCookie);
  if (result == 1) result = list_.Create(Rects({0, 67, 320, 166}, {0, 67, 240, 232}).r, window, kBaseCookie);
  if (result == 1) result = page_.Create(Rects({4, 47, 320, 67}, {4, 47, 239, 67}).r, window, kBaseCookie);
  if (result == 1) result = page_.SetButtonImages("\\tab_resources\\page_button_normal.png", "\\tab_resources\\page_button_clickdown.png");
  title_.SetTitle(u"Featured CueLists");
  for (int i = 0; i < 7; ++i) {
    rows_.push_back(SampleRow{u"Sample Artist " + std::u16string(1, u'A' + i) + u" - Demo Album",
                              u"Sample Track " + std::u16string(1, u'1' + i)});
  }
  FillListPage();

  const Rects panel({0, 0, 320, 189}, {0, 0, 240, 268});
  if (result == 1) result = itemPanel_.Create(panel.r, window, kPopupCookie);
  if (result == 1) result = itemPanel_.LoadPanelImages("\\popup_panel\\Horizontal_PopUp_Panel.png", "\\popup_panel\\Vertical_PopUp_Panel.png");
  for (const char* icon : {"AudioCue", "CueList", "WikipediaCue"}) {
    if (result == 1) result = itemPanel_.AddIcon((std::string("\\popup_panel\\Panel_Floating_") + icon + "_Icon.png").c_str());
  }
  itemPanel_.iconPos[0] = Scaled(10, 15);
  itemPanel_.iconPos[1] = Scaled(97, 9);
  itemPanel_.iconIndex = 0;
  itemPanel_.SetThemeColourSource(theme);
  itemPanel_.SetTexts(u"Sample Artist A - Demo Album", u"Genre: Ambient", u"Sample Track 1 with a title far too long to fit its line",
                      u"http://127.0.0.1/sample/track1.mp3");
  if (result == 1) result = itemList_.Create(Rects({12, 70, 308, 165}, {12, 129, 228, 227}).r, window, kPopupCookie);
  itemList_.noBackground = true;
  for (const char* entry : {"Add to Current Playlist", "Play Now", "Purchase (Launches Browser)...", "Cancel"}) {
    itemList_.AddEntry(entry, kSampleCommand);
  }

  if (result == 1) result = themePanel_.Create(panel.r, window, kPopupCookie);
  if (result == 1) result = themePanel_.LoadPanelImages("\\popup_panel\\Horizontal_PopUp_Panel.png", "\\popup_panel\\Vertical_PopUp_Panel.png");
  if (result == 1) result = themePanel_.AddIcon("\\misc_resources\\Blue_Color_Sample_Icon.png");
  themePanel_.iconPos[0] = Scaled(10, 15);
  themePanel_.iconPos[1] = Scaled(95, 8);
  themePanel_.SetThemeColourSource(theme);
  themePanel_.SetTexts(u"Options", u"Choose a colour theme", u"");
  if (result == 1) result = themePage_.Create(Rects({46, 46, 307, 69}, {12, 102, 222, 122}).r, window, kPopupCookie);
  if (result == 1) {
    result = themePage_.SetButtonImages("\\popup_panel\\PopUp_Panel_Paging_Button_Normal.png",
                                        "\\popup_panel\\PopUp_Panel_Paging_Button_Clickdown.png");
  }
  themePage_.noBackground = true;
  themePage_.SetColors(ui::PageControl::kPageColours, {0x000000, 0x000000});
  themePage_.SetColors(ui::PageControl::kCountColours, {0x000000, 0x000000});
  if (result == 1) result = themeList_.Create(Rects({12, 70, 308, 165}, {12, 129, 228, 244}).r, window, kPopupCookie);
  themeList_.noBackground = true;
  for (std::size_t i = 0; i < std::size(kThemes); ++i) {
    themeList_.AddEntry(kThemes[i].name, kSampleCommand, static_cast<std::uint32_t>(i));
  }

  if (result == 1) result = searchPanel_.Create(panel.r, window, kPopupCookie);
  if (result == 1) {
    result = searchPanel_.LoadPanelImages("\\popup_panel\\Horizontal_NewSearch_PopUp_Panel.png",
                                          "\\popup_panel\\Vertical_NewSearch_PopUp_Panel.png");
  }
  if (result == 1) result = searchPanel_.AddIcon("\\popup_panel\\New_Search_MagGlass_Icon.png");
  searchPanel_.iconPos[0] = Scaled(9, 25);
  searchPanel_.iconPos[1] = Scaled(97, 8);
  searchPanel_.SetThemeColourSource(theme);
  searchPanel_.SetTexts(u"New Search", u"", u"");
  if (result == 1) result = field_.Create(Rects({56, 47, 305, 85}, {16, 81, 226, 119}).r, window, kPopupCookie);
  if (result == 1) result = searchList_.Create(Rects({12, 95, 308, 165}, {12, 129, 228, 227}).r, window, kPopupCookie);
  searchList_.noBackground = true;
  searchList_.rowsPerPage[1] = 4;
  for (const char* entry : {"Search: All Results", "Search: AudioCues", "Search: CueLists", "Search: Wikipedia"}) {
    searchList_.AddEntry(entry, kSampleCommand);
  }
  return result;
}

void Gallery::FillListPage() {
  const std::int32_t perPage = list_.rowsPerPage[ui::Orientation()];
  list_.ClearItems();
  for (std::int32_t i = pageOffset_; i < pageOffset_ + perPage && i < static_cast<std::int32_t>(rows_.size()); ++i) {
    list_.AddItem(rows_[static_cast<std::size_t>(i)]);
  }
  page_.rowsPerPage[0] = list_.rowsPerPage[0];
  page_.rowsPerPage[1] = list_.rowsPerPage[1];
  page_.itemCount = static_cast<std::int32_t>(rows_.size());
  page_.currentPage = pageOffset_ / perPage;
}

void Gallery::TurnPage(bool next, bool byKey) {
  const std::int32_t perPage = list_.rowsPerPage[ui::Orientation()];
  if (next) {
    if (page_.currentPage + 1 >= page_.PageCount()) return;
    page_.FlashButton(ui::PageControl::kFlashNext);
    pageOffset_ += perPage;
  } else {
    if (page_.currentPage == 0) return;
    page_.FlashButton(ui::PageControl::kFlashPrevious);
    pageOffset_ = std::max(0, pageOffset_ - perPage);
  }
  FillListPage();
  if (byKey) list_.selected = next ? 0 : list_.Count() - 1;
  list_.Draw();
  title_.Draw();
  page_.Draw();
}

ui::PopupList* Gallery::SceneList() {
  switch (scene_) {
    case Scene::kItem: return &itemList_;
    case Scene::kThemes: return &themeList_;
    case Scene::kSearch: return &searchList_;
    default: return nullptr;
  }
}

void Gallery::ShowScene(platform::Window& window, Scene scene) {
  if (scene_ == Scene::kSearch && scene != Scene::kSearch) field_.Hide();
  scene_ = scene;
  needsCompose_ = true;
  Log(std::string("scene ") + kSceneNames[static_cast<int>(scene)]);
  window.Invalidate(true);
  window.Update();
  if (scene_ == Scene::kSearch) field_.Show();
}

void Gallery::PaintBase(platform::Canvas& dc) {
  bar_.Draw(dc);
  title_.Draw(dc);
  list_.Draw(dc);
  page_.Draw(dc);
}

void Gallery::PaintTabs(platform::Canvas& dc) {
  const std::int32_t s = ui::Scale();
  const std::int32_t keep = bar_.selected;
  for (std::int32_t i = 0; i < 4; ++i) {
    const std::int32_t top = i * 30 * s;
    platform::Canvas band(*dc.GetSurface(), Rect{0, top, dc.GetSize().width, top + 20 * s});
    bar_.selected = i;
    bar_.focusTab = (i + 1) % 4;
    bar_.Draw(band);
    bar_.DrawFocus(band);
  }
  bar_.selected = keep;
}

void Gallery::Paint(platform::Window& window) {
  platform::Canvas dc = window.GetDC();
  dc.FillRect(dc.Bounds(), 0xFFFFFF);
  if (scene_ == Scene::kTabs) {
    PaintTabs(dc);
    return;
  }
  PaintBase(dc);
  ui::PopupPanel* panel = nullptr;
  if (scene_ == Scene::kItem) panel = &itemPanel_;
  if (scene_ == Scene::kThemes) panel = &themePanel_;
  if (scene_ == Scene::kSearch) panel = &searchPanel_;
  if (!panel) return;
  if (needsCompose_) {
    panel->Compose();
    needsCompose_ = false;
  }
  panel->Draw(dc);
  if (scene_ == Scene::kThemes) {
    themePage_.itemCount = themeList_.Count();
    themePage_.rowsPerPage[0] = themeList_.rowsPerPage[0];
    themePage_.rowsPerPage[1] = themeList_.rowsPerPage[1];
    themePage_.currentPage = themeList_.firstRow / themeList_.rowsPerPage[ui::Orientation()];
    themePage_.Draw(dc);
  }
  if (scene_ == Scene::kSearch) field_.Draw(dc);
  SceneList()->Draw(dc);
}

void Gallery::OnKey(platform::Window& window, std::uint32_t key) {
  if (key == vk::kTab) {
    ShowScene(window, static_cast<Scene>((static_cast<int>(scene_) + 1) % std::size(kSceneNames)));
    return;
  }
  if (ui::PopupList* list = SceneList()) {
    const bool consumed = list->OnKey(key);
    if (!consumed || (key != vk::kUp && key != vk::kDown)) return;
    Log("entry selected " + std::to_string(list->selected));
    const std::int32_t perPage = list->rowsPerPage[ui::Orientation()];
    if (list->selected < list->firstRow) {
      list->PreviousRows();
      window.Invalidate(false);
    } else if (list->selected >= list->firstRow + perPage) {
      list->NextRows();
      window.Invalidate(false);
    } else {
      list->Draw();
    }
    return;
  }
  if (scene_ != Scene::kList) return;
  if (list_.OnKey(key)) {
    list_.Draw();
  } else if (key == vk::kDown || key == vk::kUp) {
    TurnPage(key == vk::kDown, true);
  }
}

void Gallery::OnTap(platform::Window& window, std::int32_t x, std::int32_t y) {
  Log("tap " + std::to_string(x) + " " + std::to_string(y));
  if (scene_ == Scene::kThemes && themePage_.OnTap(x, y)) return;
  if (ui::PopupList* list = SceneList()) {
    list->OnTap(x, y);
    return;
  }
  if (scene_ == Scene::kTabs) return;
  if (bar_.OnTap(x, y) || page_.OnTap(x, y)) return;
  list_.OnTap(x, y);
  (void)window;
}

void Gallery::OnPosted(platform::Window& window, const platform::Message& message) {
  switch (message.id) {
    case ui::msg::kTabSelected:
      Log("tab selected " + std::to_string(message.lParam));
      title_.SetTitle(bar_.GetTab(static_cast<std::size_t>(message.lParam)).label);
      bar_.Draw();
      title_.Draw();
      page_.Draw();
      return;
    case ui::msg::kItemActivated:
      Log("row activated " + std::to_string(pageOffset_ + list_.selected));
      return;
    case ui::msg::kNextPageButton:
    case ui::msg::kPreviousPageButton: {
      const bool next = message.id == ui::msg::kNextPageButton;
      Log(next ? "next page" : "previous page");
      if (message.wParam == kBaseCookie) {
        TurnPage(next, false);
      } else {
        themePage_.FlashButton(next ? ui::PageControl::kFlashNext : ui::PageControl::kFlashPrevious);
        if (next) themeList_.NextRows();
        else themeList_.PreviousRows();
        window.Invalidate(false);
      }
      return;
    }
    case ui::msg::kQueryEntered:
      Log("query entered \"" + platform::Utf16ToUtf8(field_.edit->Text()) + "\"");
      return;
    case kSampleCommand: {
      const ui::PopupList* list = SceneList();
      const std::size_t index = list ? static_cast<std::size_t>(list->selected) : 0;
      Log("entry chosen \"" + std::string(list ? list->items[index]->text : "") + "\" value " +
          std::to_string(message.lParam));
      return;
    }
    default:
      return;
  }
}

std::intptr_t Gallery::OnMessage(platform::Window& window, const platform::Message& message) {
  switch (message.id) {
    case wm::kCreate: {
      const int result = CreateControls(window);
      if (result != 1) {
        Log("a control could not be created: " + std::to_string(result));
        window.PostQuit(1);
        return 0;
      }
      ready_ = true;
      if (scene_ == Scene::kSearch) field_.Show();
      return 0;
    }
    case wm::kPaint:
      if (ready_) Paint(window);
      return 0;
    case wm::kSize: {
      const platform::Size screen = window.ScreenSize();
      core::MeasureScreen(screen.width, screen.height);
      if (!ready_) return 0;
      const std::int32_t perPage = list_.rowsPerPage[ui::Orientation()];
      const std::int32_t absolute = pageOffset_ + list_.selected;
      pageOffset_ = absolute / perPage * perPage;
      FillListPage();
      list_.selected = absolute - pageOffset_;
      field_.Reposition();
      needsCompose_ = true;
      return 0;
    }
    case wm::kKeyDown:
      if (ready_) OnKey(window, static_cast<std::uint32_t>(message.wParam));
      return 0;
    case wm::kChar:
      if (ready_ && (message.wParam == 'c' || message.wParam == 'C')) {
        theme_ = (theme_ + 1) % std::size(kThemes);
        Log(std::string("theme ") + kThemes[theme_].name);
        needsCompose_ = true;
        window.Invalidate(false);
      }
      return 0;
    case wm::kStylusDown:
      penX_ = platform::LowWord(message.lParam);
      penY_ = platform::HighWord(message.lParam);
      return 0;
    case wm::kStylusUp:
      if (ready_) OnTap(window, platform::LowWord(message.lParam), platform::HighWord(message.lParam));
      return 0;
    case wm::kDestroy:
      window.PostQuit(0);
      return 0;
    default:
      if (ready_) OnPosted(window, message);
      return window.DefaultProcedure(message);
  }
}

}  // namespace gallery
