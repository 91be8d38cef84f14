// Application: pausing for phone calls and keeping the system awake while music plays.

#include "app/Application.h"
#include "core/AppSettings.h"
#include "app/PhoneState.h"
#include "screens/PlayerView.h"
#include "screens/WindowMessages.h"

namespace app {

void Application::WatchPhoneState() {
  // The count arrives on the watch's thread and goes to the UI thread as message 1933.
  phoneNotification_ = platform::RegistryWatch::Open(
      context_.settings.Store(), kPhoneStateKey, kActiveCallCountValue,
      [this](std::uint32_t count) { window_.Post(screens::msg::kCallCountChanged, count, 0); });
}

void Application::UnwatchPhoneState() { phoneNotification_.reset(); }

void Application::OnPhoneStateChanged(std::uint32_t callCount) {
  if (callCount != 0) playerScreen_.PauseForCall();
  else playerScreen_.ResumeAfterCall();
}

void Application::KeepAwake() {
  window_.KeepSystemAwake(playerScreen_.playState == screens::PlayerView::kPlaying);
}

}  // namespace app
