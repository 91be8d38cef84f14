#include "platform/mpris/MprisService.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <sdbus-c++/sdbus-c++.h>
#include <vector>

#include "platform/DebugLog.h"

namespace platform {
namespace {

constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char* kNoTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

const char* StatusText(MediaState::Status status) {
  switch (status) {
    case MediaState::Status::kPlaying: return "Playing";
    case MediaState::Status::kPaused: return "Paused";
    default: return "Stopped";
  }
}

std::map<std::string, sdbus::Variant> Metadata(const MediaState& state) {
  std::map<std::string, sdbus::Variant> metadata;
  metadata["mpris:trackid"] = sdbus::Variant(sdbus::ObjectPath(state.trackId.empty() ? kNoTrack : state.trackId));
  if (state.trackId.empty()) return metadata;
  metadata["xesam:title"] = sdbus::Variant(state.title);
  if (!state.artist.empty()) metadata["xesam:artist"] = sdbus::Variant(std::vector<std::string>{state.artist});
  if (!state.album.empty()) metadata["xesam:album"] = sdbus::Variant(state.album);
  if (state.lengthUs > 0) metadata["mpris:length"] = sdbus::Variant(state.lengthUs);
  return metadata;
}

// The Player properties whose values differ between two states (the position is not one
// that is signalled).
std::vector<std::string> ChangedProperties(const MediaState& a, const MediaState& b) {
  std::vector<std::string> names;
  if (a.status != b.status) names.push_back("PlaybackStatus");
  if (a.trackId != b.trackId || a.title != b.title || a.artist != b.artist || a.album != b.album ||
      a.lengthUs != b.lengthUs) {
    names.push_back("Metadata");
  }
  if (a.canGoNext != b.canGoNext) names.push_back("CanGoNext");
  if (a.canGoPrevious != b.canGoPrevious) names.push_back("CanGoPrevious");
  if (a.canPlay != b.canPlay) names.push_back("CanPlay");
  if (a.canPause != b.canPause) names.push_back("CanPause");
  if (a.canSeek != b.canSeek) names.push_back("CanSeek");
  return names;
}

}  // namespace

std::unique_ptr<MprisService> MprisService::Open(const Identity& identity, CommandHandler handler) {
  std::unique_ptr<MprisService> service(new MprisService(identity, std::move(handler)));
  try {
    service->Register();
  } catch (const sdbus::Error& error) {
    DebugPrintf("media keys and the sound menu are not served (no session bus: %s)", error.getMessage().c_str());
    return nullptr;
  }
  service->wake_ = UniqueFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!service->wake_) {
    DebugPrintf("media keys and the sound menu are not served: %s", std::strerror(errno));
    return nullptr;
  }
  service->thread_ = std::thread([s = service.get()] { s->Run(); });
  return service;
}

MprisService::MprisService(const Identity& identity, CommandHandler handler)
    : identity_(identity), handler_(std::move(handler)) {}

MprisService::~MprisService() {
  if (thread_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    Wake();
    thread_.join();
  }
  object_.reset();
  connection_.reset();
}

void MprisService::Register() {
  connection_ = sdbus::createSessionBusConnection();
  object_ = sdbus::createObject(*connection_, kObjectPath);
  auto command = [this](MediaCommand which) { return [this, which] { handler_(which, 0); }; };

  object_->registerMethod("Raise").onInterface(kRootInterface).implementedAs(command(MediaCommand::kRaise));
  object_->registerMethod("Quit").onInterface(kRootInterface).implementedAs(command(MediaCommand::kQuit));
  object_->registerProperty("CanQuit").onInterface(kRootInterface).withGetter([] { return true; });
  object_->registerProperty("CanRaise").onInterface(kRootInterface).withGetter([] { return true; });
  object_->registerProperty("HasTrackList").onInterface(kRootInterface).withGetter([] { return false; });
  object_->registerProperty("Identity").onInterface(kRootInterface).withGetter([this] { return identity_.name; });
  object_->registerProperty("DesktopEntry").onInterface(kRootInterface).withGetter([this] {
    return identity_.desktopEntry;
  });
  object_->registerProperty("SupportedUriSchemes").onInterface(kRootInterface).withGetter([] {
    return std::vector<std::string>{};
  });
  object_->registerProperty("SupportedMimeTypes").onInterface(kRootInterface).withGetter([] {
    return std::vector<std::string>{};
  });

  const std::pair<const char*, MediaCommand> methods[] = {
      {"PlayPause", MediaCommand::kPlayPause}, {"Play", MediaCommand::kPlay}, {"Pause", MediaCommand::kPause},
      {"Next", MediaCommand::kNext},           {"Previous", MediaCommand::kPrevious}, {"Stop", MediaCommand::kStop}};
  for (const auto& [name, which] : methods) {
    object_->registerMethod(name).onInterface(kPlayerInterface).implementedAs(command(which));
  }
  // Seeks are passed on while the track can be sought; a stale or out-of-range SetPosition
  // does nothing, as the interface says.
  object_->registerMethod("Seek").onInterface(kPlayerInterface).withInputParamNames("Offset").implementedAs(
      [this](std::int64_t offset) {
        if (State().canSeek) handler_(MediaCommand::kSeek, offset);
      });
  object_->registerMethod("SetPosition")
      .onInterface(kPlayerInterface)
      .withInputParamNames("TrackId", "Position")
      .implementedAs([this](sdbus::ObjectPath track, std::int64_t position) {
        const MediaState state = State();
        if (!state.canSeek || state.trackId.empty() || track != state.trackId) return;
        if (position < 0 || (state.lengthUs > 0 && position > state.lengthUs)) return;
        handler_(MediaCommand::kSetPosition, position);
      });
  object_->registerMethod("OpenUri").onInterface(kPlayerInterface).withInputParamNames("Uri").implementedAs(
      [](std::string) {});
  object_->registerSignal("Seeked").onInterface(kPlayerInterface).withParameters<std::int64_t>("Position");

  object_->registerProperty("PlaybackStatus").onInterface(kPlayerInterface).withGetter([this] {
    return std::string(StatusText(State().status));
  });
  object_->registerProperty("Metadata").onInterface(kPlayerInterface).withGetter([this] { return Metadata(State()); });
  object_->registerProperty("Position").onInterface(kPlayerInterface).withGetter([this] { return State().positionUs; });
  object_->registerProperty("Rate").onInterface(kPlayerInterface).withGetter([] { return 1.0; });
  object_->registerProperty("MinimumRate").onInterface(kPlayerInterface).withGetter([] { return 1.0; });
  object_->registerProperty("MaximumRate").onInterface(kPlayerInterface).withGetter([] { return 1.0; });
  object_->registerProperty("Volume").onInterface(kPlayerInterface).withGetter([] { return 1.0; });
  object_->registerProperty("CanGoNext").onInterface(kPlayerInterface).withGetter([this] { return State().canGoNext; });
  object_->registerProperty("CanGoPrevious").onInterface(kPlayerInterface).withGetter([this] {
    return State().canGoPrevious;
  });
  object_->registerProperty("CanPlay").onInterface(kPlayerInterface).withGetter([this] { return State().canPlay; });
  object_->registerProperty("CanPause").onInterface(kPlayerInterface).withGetter([this] { return State().canPause; });
  object_->registerProperty("CanSeek").onInterface(kPlayerInterface).withGetter([this] { return State().canSeek; });
  object_->registerProperty("CanControl").onInterface(kPlayerInterface).withGetter([] { return true; });
  object_->finishRegistration();
  connection_->requestName(std::string(kRootInterface) + "." + identity_.busSuffix);
}

MediaState MprisService::State() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

void MprisService::Publish(const MediaState& state) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state == state_) return;
    for (std::string& name : ChangedProperties(state_, state)) {
      wake = true;
      changed_.insert(std::move(name));
    }
    state_ = state;
  }
  if (wake) Wake();
}

void MprisService::AnnounceSeek(std::int64_t positionUs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    seeked_ = positionUs;
  }
  Wake();
}

void MprisService::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

void MprisService::EmitPending() {
  std::vector<std::string> names;
  std::optional<std::int64_t> seeked;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    names.assign(changed_.begin(), changed_.end());
    changed_.clear();
    seeked.swap(seeked_);
  }
  if (!names.empty()) object_->emitPropertiesChangedSignal(kPlayerInterface, names);
  if (seeked) object_->emitSignal("Seeked").onInterface(kPlayerInterface).withArguments(*seeked);
}

void MprisService::Run() {
  try {
    for (;;) {
      while (connection_->processPendingRequest()) {
      }
      EmitPending();
      const sdbus::IConnection::PollData bus = connection_->getEventLoopPollData();
      pollfd fds[2] = {{bus.fd, bus.events, 0}, {wake_.Get(), POLLIN, 0}};
      int timeoutMs = -1;
      if (const auto relative = bus.getRelativeTimeout()) {
        timeoutMs = static_cast<int>((relative->count() + 999) / 1000);
      }
      if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR) {
        DebugPrintf("media controls: the bus cannot be polled: %s", std::strerror(errno));
        return;
      }
      if (fds[1].revents) {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t got = ::read(wake_.Get(), &count, sizeof count);
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
      }
    }
  } catch (const sdbus::Error& error) {
    DebugPrintf("media controls: the bus connection ended: %s", error.getMessage().c_str());
  }
}

}  // namespace platform
