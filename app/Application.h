#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "audio/PlayerNotifyTarget.h"
#include "audio/StreamPlayer.h"
#include "platform/RegistryWatch.h"
#include "platform/mpris/MprisService.h"
#include "screens/AboutScreen.h"
#include "screens/CurrentPlaylistScreen.h"
#include "screens/FeaturedScreen.h"
#include "screens/ItemPopup.h"
#include "screens/ListPopup.h"
#include "screens/MiniPlayer.h"
#include "screens/NewSearchPanel.h"
#include "screens/PlayerScreen.h"
#include "screens/SearchResultsScreen.h"
#include "ui/Screen.h"
#include "ui/TabBar.h"

namespace app {

// The one application object: the main window's procedure. It owns every screen, popup and
// shared control and the stream player, keeps the stack of active screens (itself at the
// bottom, where it paints the tab bar and the mini player; the current tab's screen above;
// at most one popup on top), routes input to the top of the stack and the private messages
// to the screens they name. UI thread only, but for postPlayerMessage.
class Application : public ui::Screen, public platform::WindowProcedure, public audio::PlayerNotifyTarget {
 public:
  static constexpr int kTabCount = 4;
  static constexpr int kPlayerTab = 3;
  // popupMode values: which popup the last menu command opened.
  static constexpr int kColourThemesPopup = 0;
  static constexpr int kPlayerSkinsPopup = 1;
  static constexpr int kNewSearchPopup = 3;
  static constexpr int kAboutPopup = 4;
  // A command of the desktop's media controls (wParam: platform::MediaCommand, lParam: its
  // argument in microseconds), handed from the bus thread to the UI thread.
  static constexpr std::uint32_t kMediaCommandMessage = platform::wm::kUser + 1000;

  // Builds every member; opens no window and draws nothing.
  explicit Application(AppContext& context);
  ~Application() override;

  // The window procedure.
  std::intptr_t OnMessage(platform::Window& target, const platform::Message& message) override;
  void DescribeScreen(std::vector<std::string>& lines) const override;
  // The stream player's messages, posted to the window (any thread).
  void postPlayerMessage(std::uint32_t message) override;

  // The Screen operations of the application itself.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  bool OnPointerDown(std::int32_t x, std::int32_t y) override;
  // The mini player (which switches to the player tab), then the tab bar.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Invalidate() override;

  void SwitchTab(int index);
  // Hides the top of the stack, pushes the panel and shows it. A popup already open is
  // closed first, so that at most one popup is ever open.
  void OpenPopup(ui::Screen& panel);
  // Pops and hides the top; shows the new top.
  void ClosePopup();
  // The main soft keys back, ClosePopup when a popup is open, RepaintAll.
  void DismissPopup();
  // OnMessage (message, 0, 0) on the application and then on every screen and popup.
  void Broadcast(std::uint32_t message);
  void ForwardToTop(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  void RepaintAll();
  void SetMainMenuBar();
  void AddSelectionToPlaylist(bool replace);
  void ClearPlaylistAndStop();

  // Phone calls and power: the watch on the active call count (message 1933), what a change
  // of the count does, and the idle-sleep control of timer 1000.
  void WatchPhoneState();
  void UnwatchPhoneState();
  void OnPhoneStateChanged(std::uint32_t callCount);
  void KeepAwake();
  // The desktop's media controls (MPRIS): served from window creation on when there is a
  // session bus; told the player's state after every message; their commands act as the
  // player screen's buttons do.
  void OpenMediaControls();
  void PublishMediaState();
  void OnMediaCommand(platform::MediaCommand command, std::int64_t argumentUs = 0);
  // Seeking in the playing or paused track (MPRIS, the Player tab's "[" and "]"): to
  // `targetUs` from its start (clamped at 0; at or past the end the track ends), or by
  // `offsetUs` from where it is. False when nothing plays or the track cannot be sought.
  bool SeekTo(std::int64_t targetUs);
  bool SeekBy(std::int64_t offsetUs);

  int CurrentTab() const { return currentTab_; }
  const std::vector<ui::Screen*>& ViewStack() const { return viewStack_; }

 private:
  // Window creation: builds the screens, shows the Featured tab, starts the timers, loads the
  // playlist; closes the window when a screen cannot be built.
  void OnCreate();
  int CreateScreens();
  void OnPaint();
  void OnStylusUp(std::int32_t x, std::int32_t y);
  void OnChar(char16_t character);
  void OnCommand(std::uint32_t command);
  void OnPrivateMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
  void OnPlayerMessage(std::uint32_t message);
  void OnPositionTimer();
  void OnRemovePlaylistItem();
  void BuildPopup();
  void PaintLayers(std::initializer_list<ui::Screen*> screens);
  bool PopupOpen() const { return viewStack_.size() > 2; }
  ui::Screen* Top() const { return viewStack_.empty() ? nullptr : viewStack_.back(); }
  ui::Screen* TabScreen(int index);
  // The screen a message's first parameter names (a control's cookie); null for any other.
  ui::Screen* ScreenFromCookie(std::uintptr_t cookie);
  const char* StackName(const ui::Screen* screen) const;
  // Where the position timer reads the player; reset when a track ends or stops.
  void ForgetProgress() { lastPosition_ = lastBytes_ = 0; }

  AppContext& context_;
  platform::Window& window_;
  screens::SearchResultsScreen searchResultsScreen_;
  screens::CurrentPlaylistScreen currentPlaylistScreen_;
  screens::PlayerScreen playerScreen_;
  screens::FeaturedScreen featuredScreen_;
  screens::ItemPopup itemPopup_;
  screens::ListPopup listPopup_;
  screens::NewSearchPanel newSearchPanel_;
  screens::AboutScreen aboutScreen_;
  int popupMode_ = kColourThemesPopup;
  int currentTab_ = 1;
  std::vector<ui::Screen*> viewStack_;
  std::vector<std::u16string> skinNames_;
  ui::TabBar tabBar_;
  screens::MiniPlayer miniPlayer_;
  audio::StreamPlayer streamPlayer_;
  bool layoutDirty_ = false;
  bool ready_ = false;
  // The stylus's last down point.
  std::int32_t penDownX_ = 0;
  std::int32_t penDownY_ = 0;
  // What the position timer saw at its last tick.
  std::uint32_t lastPosition_ = 0;
  std::uint32_t lastBytes_ = 0;
  // The watch on the phone's active call count; empty when the store cannot be watched.
  std::unique_ptr<platform::RegistryWatch> phoneNotification_;
  std::unique_ptr<platform::MprisService> mediaControls_;
  // Tracks started so far: names each track for the media controls.
  std::uint32_t tracksStarted_ = 0;
};

}  // namespace app
