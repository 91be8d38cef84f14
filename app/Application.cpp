#include "app/Application.h"

#include "app/AppResources.h"
#include "app/StartupMessages.h"
#include "core/AppSettings.h"
#include "core/RequestIdentity.h"
#include "core/ScreenMetrics.h"
#include "core/WaitCursor.h"
#include "platform/TextCodec.h"
#include "playlist/PlaylistFile.h"
#include "screens/WindowMessages.h"
#include "ui/ResourcePaths.h"
#include "ui/ViewMetrics.h"

namespace app {

namespace {

// The screens install the bars by these ids.
static_assert(screens::menubar::kMain == kMainMenuBarResource && screens::menubar::kPopup == kPopupMenuBarResource);

constexpr int kImageMissing = 1001;
constexpr std::uint32_t kKeepAwakeTimer = 1000;
constexpr std::uint32_t kKeepAwakePeriodMs = 4000;
constexpr std::uint32_t kPositionTimer = 1005;
constexpr std::uint32_t kPositionPeriodMs = 1400;

// QVGA rectangles (landscape, portrait).
constexpr platform::Rect kTabBarRects[2] = {{0, 0, 320, 20}, {0, 0, 240, 20}};
constexpr std::int32_t kTabIconArea = 15;
constexpr platform::Rect kMiniPlayerRects[2] = {{0, 166, 320, 188}, {0, 232, 240, 268}};

struct TabEntry {
  const char16_t* label;
  const char* whiteIcon;
  const char* blackIcon;
};
constexpr TabEntry kTabs[Application::kTabCount] = {
    {u"Search Results", "\\tab_resources\\searchresults_white_tab_icon_13x13.png",
     "\\tab_resources\\searchresults_black_tab_icon_13x13.png"},
    {u"Featured", "\\tab_resources\\featuredstar_white_tab_icon_13x13.png",
     "\\tab_resources\\featuredstar_black_tab_icon_13x13.png"},
    {u"Current Playlist", "\\tab_resources\\currentplaylist_white_tab_icon_13x13.png",
     "\\tab_resources\\currentplaylist_black_tab_icon_13x13.png"},
    {u"Player", "\\tab_resources\\player_white_tab_icon_13x13.png", "\\tab_resources\\player_black_tab_icon_13x13.png"},
};

// The player's streams read and fill the cache of played tracks.
catalogue::HttpClientOptions StreamOptions(const AppContext& context) {
  catalogue::HttpClientOptions options;
  options.trackCache = context.trackCache;
  return options;
}

}  // namespace

Application::Application(AppContext& context)
    : context_(context),
      window_(context.window),
      streamPlayer_(MakePcmSink(context.options), StreamOptions(context)) {
  viewStack_.push_back(this);
}

// The phone-state watch closes first; then members go in the reverse of their order: the
// stream player (its threads) before the mini player and the tab bar, the screens last, the
// current playlist screen writing the playlist file on its way out.
Application::~Application() {
  UnwatchPhoneState();
  mediaControls_.reset();
}

void Application::postPlayerMessage(std::uint32_t message) { window_.Post(message); }

void Application::OnCreate() {
  SetMainMenuBar();
  window = &window_;
  const int result = CreateScreens();
  if (result != 1) {
    if (result == kImageMissing) {
      window_.ShowMessageBox(platform::Utf8ToUtf16(kMissingFilesCaption), platform::Utf8ToUtf16(kMissingFilesText),
                             platform::MessageBoxButtons::kOk);
    }
    window_.Post(platform::wm::kClose);
    return;
  }
  SwitchTab(currentTab_);
  window_.SetTimer(kKeepAwakeTimer, kKeepAwakePeriodMs);
  window_.SetTimer(kPositionTimer, kPositionPeriodMs);
  currentPlaylistScreen_.LoadPlaylist();
  OpenMediaControls();
  WatchPhoneState();
  ready_ = true;
}

int Application::CreateScreens() {
  auto theme = [this] { return context_.settings.CurrentThemeColor(); };
  platform::Rect rects[2];
  ui::ScaleRects(kTabBarRects, rects);
  const auto cookie = reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this));
  int result = tabBar_.Create(rects, kTabIconArea * ui::Scale(), window_, cookie);
  for (const TabEntry& tab : kTabs) {
    if (result == 1) result = tabBar_.AddTab(tab.label, tab.whiteIcon, tab.blackIcon);
  }
  tabBar_.SetThemeColourSource(theme);
  if (result != 1) return result;
  ui::ScaleRects(kMiniPlayerRects, rects);
  result = miniPlayer_.Create(rects, window_, cookie);
  miniPlayer_.SetThemeColourSource(theme);
  if (result != 1) return result;
  tabBar_.Show();
  miniPlayer_.Show();

  searchResultsScreen_.SetCatalogue(context_.serverUrl, context_.settings);
  featuredScreen_.SetCatalogue(context_.serverUrl, context_.settings);
  result = searchResultsScreen_.Create(window_);
  if (result == 1) result = currentPlaylistScreen_.Create(window_);
  if (result != 1) return result;
  const audio::StreamUrlService streams{context_.serverUrl, core::RequestIdentity::From(context_.settings),
                                        StreamOptions(context_)};
  currentPlaylistScreen_.SetPlayer(streamPlayer_, streams,
                                   std::filesystem::path(context_.dataDirectory) / playlist::playlistfile::kFileName);
  playerScreen_.SetSettings(context_.settings);
  result = playerScreen_.Create(window_);
  if (result != 1) return result;
  playerScreen_.SetPlayer(streamPlayer_);
  playerScreen_.SetStreamService(streams);
  streamPlayer_.setNotifyWindow(this);

  itemPopup_.SetThemeColourSource(theme);
  listPopup_.SetThemeColourSource(theme);
  newSearchPanel_.SetThemeColourSource(theme);
  for (ui::Screen* screen : std::initializer_list<ui::Screen*>{&featuredScreen_, &itemPopup_, &listPopup_,
                                                               &newSearchPanel_, &aboutScreen_}) {
    result = screen->Create(window_);
    if (result != 1) return result;
  }
  return 1;
}

ui::Screen* Application::TabScreen(int index) {
  switch (index) {
    case 0: return &searchResultsScreen_;
    case 1: return &featuredScreen_;
    case 2: return &currentPlaylistScreen_;
    default: return &playerScreen_;
  }
}

void Application::SwitchTab(int index) {
  tabBar_.SetFocus(false);
  miniPlayer_.SetFocus(false);
  tabBar_.Hide();
  miniPlayer_.Hide();
  if (viewStack_.size() >= 2) {
    ui::Screen* top = viewStack_.back();
    viewStack_.pop_back();
    top->Hide();
  }
  currentTab_ = index;
  tabBar_.selected = index;
  tabBar_.focusTab = index;
  if (index != kPlayerTab) {
    tabBar_.Show();
    miniPlayer_.Show();
  }
  ui::Screen* screen = TabScreen(index);
  viewStack_.push_back(screen);
  screen->Show();
}

void Application::OpenPopup(ui::Screen& panel) {
  if (PopupOpen()) ClosePopup();
  if (ui::Screen* top = Top()) top->Hide();
  viewStack_.push_back(&panel);
  miniPlayer_.covered = true;
  panel.Show();
}

void Application::ClosePopup() {
  if (!viewStack_.empty()) {
    ui::Screen* top = viewStack_.back();
    viewStack_.pop_back();
    top->Hide();
  }
  miniPlayer_.covered = PopupOpen();
  if (ui::Screen* top = Top()) top->Show();
}

void Application::DismissPopup() {
  SetMainMenuBar();
  // Without a popup there is nothing to close: the tab's screen stays.
  if (PopupOpen()) ClosePopup();
  RepaintAll();
}

void Application::SetMainMenuBar() { window_.SetMenuBar(kMainMenuBarResource); }

void Application::Broadcast(std::uint32_t message) {
  for (ui::Screen* screen : std::initializer_list<ui::Screen*>{
           this, &searchResultsScreen_, &currentPlaylistScreen_, &playerScreen_, &featuredScreen_, &itemPopup_,
           &listPopup_, &newSearchPanel_}) {
    screen->OnMessage(message, 0, 0);
  }
}

void Application::ForwardToTop(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (ui::Screen* top = Top(); top && top != this) top->OnMessage(message, wParam, lParam);
}

void Application::RepaintAll() {
  platform::Canvas dc = window_.GetDC();
  Paint(dc, false, kLayerAll);
}

void Application::PaintLayers(std::initializer_list<ui::Screen*> screens) {
  platform::Canvas dc = window_.GetDC();
  for (ui::Screen* screen : screens) screen->Paint(dc, false, kLayerAll);
}

void Application::Paint(platform::Canvas& dc, bool, std::uint32_t) {
  // The Player tab has neither, also while a popup lies over it.
  if (currentTab_ == kPlayerTab) return;
  tabBar_.Draw(dc);
  miniPlayer_.Draw(dc);
}

void Application::OnPaint() {
  if (!ready_) return;
  core::BeginWaitCursor();
  bool force = false;
  if (layoutDirty_) {
    layoutDirty_ = false;
    const platform::Size screen = window_.ScreenSize();
    core::MeasureScreen(screen.width, screen.height);
    Broadcast(screens::msg::kLayoutChanged);
    force = true;
  }
  platform::Canvas dc = window_.GetDC();
  for (ui::Screen* screen : viewStack_) screen->Paint(dc, force, kLayerAll);
  core::EndWaitCursor();
}

void Application::Invalidate() { miniPlayer_.UpdateLayout(); }

void Application::OnKey(std::uint32_t virtualKey, std::intptr_t keyData) {
  if (ui::Screen* top = Top(); top && top != this) top->OnKey(virtualKey, keyData);
}

bool Application::OnPointerDown(std::int32_t x, std::int32_t y) {
  penDownX_ = x;
  penDownY_ = y;
  return false;
}

bool Application::OnTap(std::int32_t x, std::int32_t y) {
  if (miniPlayer_.OnTap(x, y)) {
    SwitchTab(kPlayerTab);
    return true;
  }
  return tabBar_.OnTap(x, y);
}

void Application::AddSelectionToPlaylist(bool replace) {
  if (replace) ClearPlaylistAndStop();
  playlist::CurrentPlaylist* playlist = currentPlaylistScreen_.Playlist();
  if (!playlist) return;
  if (currentTab_ == 0) {
    if (const catalogue::ItemRef* item = searchResultsScreen_.SelectedItem()) {
      if (item->audioCue()) playlist->addTrack(*item);
      else if (item->cueList()) playlist->addCueList(*item->cueList());
    }
  } else if (currentTab_ == 1) {
    if (const catalogue::CueListRecord* cueList = featuredScreen_.SelectedCueList()) playlist->addCueList(*cueList);
  }
}

void Application::ClearPlaylistAndStop() {
  if (playlist::CurrentPlaylist* playlist = currentPlaylistScreen_.Playlist()) playlist->clear();
  streamPlayer_.stop(1);
  miniPlayer_.ResetDisplay();
  playerScreen_.ResetDisplay();
}

void Application::BuildPopup() {
  switch (popupMode_) {
    case kColourThemesPopup:
      listPopup_.FillThemes(context_.settings);
      break;
    case kPlayerSkinsPopup: {
      const char* skinsFolder = ui::GetResourcePathA(u"\\player\\skins\\");
      listPopup_.FillSkins(context_.settings, skinsFolder ? skinsFolder : "", skinNames_);
      break;
    }
    case kNewSearchPopup:
      newSearchPanel_.Fill();
      break;
    default:
      break;
  }
}

const char* Application::StackName(const ui::Screen* screen) const {
  if (screen == this) return "application";
  if (screen == &searchResultsScreen_) return "search";
  if (screen == &featuredScreen_) return "featured";
  if (screen == &currentPlaylistScreen_) return "playlist";
  if (screen == &playerScreen_) return "player";
  if (screen == &itemPopup_) return "itempopup";
  if (screen == &listPopup_) return "listpopup";
  if (screen == &newSearchPanel_) return "newsearch";
  if (screen == &aboutScreen_) return "about";
  return "unknown";
}

void Application::DescribeScreen(std::vector<std::string>& lines) const {
  if (!ready_) return;
  lines.push_back("tab " + std::to_string(currentTab_) + " " + platform::Utf16ToUtf8(kTabs[currentTab_].label));
  std::string stack = "stack";
  for (const ui::Screen* screen : viewStack_) stack += std::string(" ") + StackName(screen);
  lines.push_back(stack);
  if (miniPlayer_.visible) miniPlayer_.AppendScreenText(lines);
  // The tab's screen, then an open popup.
  for (std::size_t i = 1; i < viewStack_.size(); ++i) {
    if (const auto* text = dynamic_cast<const ui::ScreenText*>(viewStack_[i])) text->AppendScreenText(lines);
  }
}

}  // namespace app
