// The window procedure of Application: input, timers, commands and the private messages.

#include <cstdlib>

#include "app/AppResources.h"
#include "app/Application.h"
#include "app/VersionCheck.h"
#include "core/AppSettings.h"
#include "core/Utilities.h"
#include "core/WaitCursor.h"
#include "screens/WindowMessages.h"
#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace app {

namespace {

namespace wm = platform::wm;

constexpr std::uint32_t kKeepAwakeTimer = 1000;
constexpr std::uint32_t kPositionTimer = 1005;
// The second "Cancel" command popups may send.
constexpr std::uint32_t kOtherCancelCommand = 40005;
// Stylus movements (QVGA pixels): at least this far is a stroke, at most this far a tap.
constexpr std::int32_t kStrokeDistance = 60;
constexpr std::int32_t kTapDistance = 20;
constexpr const char* kHelpPath = "/mobile/wm/help";
// How far the Player tab's seek keys move.
constexpr std::int64_t kSeekKeyStepUs = 10'000'000;

}  // namespace

std::intptr_t Application::OnMessage(platform::Window& target, const platform::Message& message) {
  // Whatever the message changed, the desktop's media controls hear of it afterwards.
  struct PublishAfter {
    Application& application;
    ~PublishAfter() { application.PublishMediaState(); }
  } publishAfter{*this};
  if (message.id == audio::kMsgPlaybackStarted) ++tracksStarted_;
  switch (message.id) {
    case wm::kCreate:
      OnCreate();
      return 0;
    case wm::kPaint:
      OnPaint();
      return 0;
    case wm::kSize:
      if (ready_) layoutDirty_ = true;
      return 0;
    case wm::kActivate:
    case wm::kShowWindow:
      return 0;
    case wm::kStylusDown:
      OnPointerDown(platform::LowWord(message.lParam), platform::HighWord(message.lParam));
      return 0;
    case wm::kStylusUp:
      if (ready_) OnStylusUp(platform::LowWord(message.lParam), platform::HighWord(message.lParam));
      return 0;
    case wm::kKeyDown:
      if (ready_) OnKey(static_cast<std::uint32_t>(message.wParam), message.lParam);
      return 0;
    case wm::kChar:
      if (ready_) OnChar(static_cast<char16_t>(message.wParam));
      return 0;
    case wm::kTimer:
      if (ready_ && message.wParam == kPositionTimer) OnPositionTimer();
      if (ready_ && message.wParam == kKeepAwakeTimer) KeepAwake();
      return 0;
    case wm::kCommand:
      OnCommand(static_cast<std::uint32_t>(message.wParam & 0xFFFF));
      return 0;
    case wm::kDestroy:
      target.DestroyMenuBar();
      target.PostQuit(0);
      return 0;
    default:
      if (message.id >= wm::kUser) {
        if (ready_) OnPrivateMessage(message.id, message.wParam, message.lParam);
        return 0;
      }
      return target.DefaultProcedure(message);
  }
}

void Application::OnStylusUp(std::int32_t x, std::int32_t y) {
  const std::int32_t s = ui::Scale();
  const std::int32_t dx = std::abs(penDownX_ - x), dy = std::abs(penDownY_ - y);
  if (dx >= kStrokeDistance * s) {
    // Horizontal strokes switch tabs, but not under a popup: the popup would be popped and
    // the tab's screen left hidden beneath the new one.
    if (PopupOpen()) return;
    if (penDownX_ > x) SwitchTab((currentTab_ + 1) % kTabCount);
    else SwitchTab((currentTab_ + kTabCount - 1) % kTabCount);
  } else if (dy >= kStrokeDistance * s) {
    if (viewStack_.size() == 2) Top()->PageCommand(penDownY_ <= y ? kPreviousPage : kNextPage);
  } else if (dx <= kTapDistance * s && dy <= kTapDistance * s) {
    if (currentTab_ != kPlayerTab && viewStack_.size() == 2 && OnTap(x, y)) return;
    if (ui::Screen* top = Top(); top && top != this) top->OnTap(x, y);
  }
}

void Application::OnChar(char16_t character) {
  // On the Player tab (no popup over it), "[" and "]" move 10 s back and forward.
  if ((character == u'[' || character == u']') && Top() == &playerScreen_) {
    SeekBy(character == u'[' ? -kSeekKeyStepUs : kSeekKeyStepUs);
    return;
  }
  if (character != u'c' && character != u'C' && character != u'9') return;
  context_.settings.NextTheme();
  Broadcast(screens::msg::kThemeChanged);
  window_.Invalidate(false);
}

void Application::OnCommand(std::uint32_t command) {
  switch (command) {
    case kNewSearchCommand:
    case kPlayerSkinsCommand:
    case kColorThemesCommand:
      window_.Update();
      popupMode_ = command == kNewSearchCommand ? kNewSearchPopup
                   : command == kPlayerSkinsCommand ? kPlayerSkinsPopup
                                                    : kColourThemesPopup;
      BuildPopup();
      OpenPopup(command == kNewSearchCommand ? static_cast<ui::Screen&>(newSearchPanel_) : listPopup_);
      break;
    case kClearPlaylistCommand:
      ClearPlaylistAndStop();
      PaintLayers({this, &currentPlaylistScreen_, &playerScreen_});
      break;
    case kExitCommand:
      window_.Send(wm::kClose);
      break;
    case kAboutCommand:
      window_.Update();
      popupMode_ = kAboutPopup;
      OpenPopup(aboutScreen_);
      break;
    case kCancelCommand:
    case kOtherCancelCommand:
      DismissPopup();
      break;
    case kHelpCommand:
      core::OpenInBrowser((std::string(VersionCheck::kDefaultDownloadSite) + kHelpPath).c_str());
      break;
    default:
      break;
  }
}

ui::Screen* Application::ScreenFromCookie(std::uintptr_t cookie) {
  for (ui::Screen* screen : std::initializer_list<ui::Screen*>{
           &searchResultsScreen_, &currentPlaylistScreen_, &playerScreen_, &featuredScreen_, &itemPopup_, &listPopup_,
           &newSearchPanel_, &aboutScreen_}) {
    if (reinterpret_cast<std::uintptr_t>(screen) == cookie) return screen;
  }
  return nullptr;
}

void Application::OnPrivateMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  namespace msg = screens::msg;
  switch (message) {
    case msg::kPreviousTab:
      SwitchTab((currentTab_ + kTabCount - 1) % kTabCount);
      return;
    case msg::kNextTab:
      SwitchTab((currentTab_ + 1) % kTabCount);
      return;
    case msg::kOpenItemPopup:
      window_.Update();
      // A screen without a selected item adds nothing: nothing of an earlier opening stays.
      itemPopup_.Clear();
      if (ui::Screen* top = Top()) top->FillItemPopup(itemPopup_);
      OpenPopup(itemPopup_);
      return;
    case ui::msg::kTabSelected:
      if (lParam >= 0 && lParam < kTabCount) SwitchTab(static_cast<int>(lParam));
      return;
    case msg::kSearchChosen: {
      SetMainMenuBar();
      ClosePopup();
      core::BeginWaitCursor();
      RepaintAll();
      searchResultsScreen_.NewSearch(static_cast<std::int32_t>(lParam), newSearchPanel_.Query());
      SwitchTab(0);
      core::EndWaitCursor();
      return;
    }
    case ui::msg::kItemActivated:
    case ui::msg::kNextPageByKey:
    case ui::msg::kPreviousPageByKey:
    case ui::msg::kPreviousPageButton:
    case ui::msg::kNextPageButton:
    case ui::msg::kQueryEntered:
      if (ui::Screen* screen = ScreenFromCookie(wParam)) screen->OnMessage(message, wParam, lParam);
      return;
    case msg::kShowSearchTab:
      SwitchTab(0);
      return;
    case msg::kShowPlaylistTab:
      SwitchTab(2);
      return;
    case msg::kPlaylistTrackStarted:
      playerScreen_.OnMessage(message, wParam, lParam);
      return;
    case msg::kOpenArticle:
    case msg::kPurchase:
    case msg::kPlayItem:
      DismissPopup();
      ForwardToTop(message, wParam, lParam);
      return;
    case msg::kAddToPlaylist: {
      DismissPopup();
      AddSelectionToPlaylist(false);
      const playlist::CurrentPlaylist* playlist = currentPlaylistScreen_.Playlist();
      if (playlist && playlist->count() == 1) currentPlaylistScreen_.OnMessage(msg::kPlayItem, 0, 0);
      return;
    }
    case msg::kReplacePlaylist:
      DismissPopup();
      AddSelectionToPlaylist(true);
      SwitchTab(2);
      currentPlaylistScreen_.OnMessage(msg::kPlayItem, 0, 0);
      return;
    case msg::kThemeChosen:
    case msg::kSkinChosen:
      // A theme outside the ten, or a skin index outside the list found, chooses nothing.
      if (message == msg::kThemeChosen && (lParam < 0 || lParam >= core::AppSettings::kThemeCount)) return;
      if (message == msg::kSkinChosen && (lParam < -1 || lParam >= static_cast<std::intptr_t>(skinNames_.size()))) {
        return;
      }
      core::BeginWaitCursor();
      if (message == msg::kThemeChosen) {
        context_.settings.overlayColor = static_cast<std::uint32_t>(lParam);
      } else {
        context_.settings.SetSkinName(lParam < 0 ? std::u16string() : skinNames_[static_cast<std::size_t>(lParam)]);
      }
      Broadcast(msg::kThemeChanged);
      DismissPopup();
      ForwardToTop(message, wParam, lParam);
      core::EndWaitCursor();
      return;
    case msg::kPlayerNext:
    case msg::kPlayerPrevious:
      currentPlaylistScreen_.OnMessage(message, wParam, lParam);
      return;
    case msg::kRemovePlaylistItem:
      OnRemovePlaylistItem();
      return;
    case kMediaCommandMessage:
      OnMediaCommand(static_cast<platform::MediaCommand>(wParam), static_cast<std::int64_t>(lParam));
      return;
    case msg::kCallCountChanged:
      OnPhoneStateChanged(static_cast<std::uint32_t>(wParam));
      return;
    case audio::kMsgPlaybackStarted:
    case audio::kMsgTrackEnded:
    case audio::kMsgStoppedAdvance:
    case audio::kMsgStoppedNoAdvance:
      OnPlayerMessage(message);
      return;
    default:
      if (message >= msg::kPlayPause && message <= msg::kPlayerSearchTab) {
        if (ScreenFromCookie(wParam) == &playerScreen_) playerScreen_.OnMessage(message, wParam, lParam);
      }
      return;
  }
}

void Application::OnRemovePlaylistItem() {
  SetMainMenuBar();
  ClosePopup();
  playlist::CurrentPlaylist* playlist = currentPlaylistScreen_.Playlist();
  if (playlist && playlist->removeSelected()) {
    streamPlayer_.stop(1);
    miniPlayer_.ResetDisplay();
    playerScreen_.ResetDisplay();
  }
  PaintLayers({this, &currentPlaylistScreen_, &playerScreen_});
}

void Application::OnPlayerMessage(std::uint32_t message) {
  if (message == audio::kMsgPlaybackStarted) {
    const audio::TrackInfo info = streamPlayer_.trackInfo();
    const std::int32_t length = streamPlayer_.contentLength();
    const audio::Mp3FrameHeader header = streamPlayer_.header();
    const std::uint64_t samples = streamPlayer_.lengthSamples();
    miniPlayer_.SetTrack(info, length, header, samples);
    playerScreen_.SetTrack(info, length, header, samples);
    core::EndWaitCursor();
    currentPlaylistScreen_.OnMessage(message, 0, 0);
    return;
  }
  ForgetProgress();
  playerScreen_.ResetDisplay();
  miniPlayer_.ResetDisplay();
  if (message != audio::kMsgStoppedNoAdvance) currentPlaylistScreen_.OnMessage(message, 0, 0);
}

void Application::OnPositionTimer() {
  const std::uint32_t position = streamPlayer_.position();
  std::uint32_t capacity = 0, queued = 0, bytesReceived = 0;
  streamPlayer_.bufferFill(capacity, queued, bytesReceived);
  if (position == lastPosition_ && bytesReceived == lastBytes_) return;
  lastPosition_ = position;
  lastBytes_ = bytesReceived;
  if (viewStack_.size() <= 2 && playerScreen_.playState != 0) {
    const std::uint64_t samples = streamPlayer_.lengthSamples();
    miniPlayer_.SetProgress(bytesReceived, position, samples);
    playerScreen_.SetProgress(bytesReceived, position, samples);
  }
}

std::intptr_t Application::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == screens::msg::kThemeChanged || message == screens::msg::kLayoutChanged) Invalidate();
  return 0;
}

}  // namespace app
