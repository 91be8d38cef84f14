#include "platform/RegistryWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>

#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"

namespace platform {
namespace {

// Atomic replaces arrive as a rename into the folder; a plain rewrite (or a store made by
// hand) as a write that closes; removing the file reads as the value 0.
constexpr std::uint32_t kEvents = IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM;
constexpr std::size_t kEventBuffer = 4096;

}  // namespace

std::unique_ptr<RegistryWatch> RegistryWatch::Open(const RegistryStore& store, std::string key, std::string name,
                                                   Callback onChange) {
  std::unique_ptr<RegistryWatch> watch(new RegistryWatch(store, std::move(key), std::move(name), std::move(onChange)));
  std::error_code ec;
  std::filesystem::create_directories(store.Directory(), ec);
  watch->inotify_ = UniqueFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  watch->wake_ = UniqueFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!watch->inotify_ || !watch->wake_ ||
      inotify_add_watch(watch->inotify_.Get(), store.Directory().c_str(), kEvents) < 0) {
    DebugPrintf("settings store %s cannot be watched (%s): changes of \"%s\" go unnoticed",
                store.Directory().c_str(), std::strerror(errno), watch->name_.c_str());
    return nullptr;
  }
  // Changes made from here on are reported; the value as it is now is the starting point.
  watch->last_ = watch->ReadValue();
  watch->thread_ = std::thread([w = watch.get()] { w->Run(); });
  return watch;
}

RegistryWatch::RegistryWatch(const RegistryStore& store, std::string key, std::string name, Callback onChange)
    : store_(store.Directory()), key_(std::move(key)), name_(std::move(name)), onChange_(std::move(onChange)) {}

RegistryWatch::~RegistryWatch() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wake_.Get(), &one, sizeof one);
    thread_.join();
  }
}

std::uint32_t RegistryWatch::ReadValue() const {
  const std::optional<RegistryValue> value = store_.Query(key_, name_);
  return value && value->type == RegistryValue::Type::Dword ? value->number : 0;
}

bool RegistryWatch::StoreFileChanged() {
  bool changed = false;
  alignas(inotify_event) char buffer[kEventBuffer];
  for (;;) {
    const ssize_t got = ::read(inotify_.Get(), buffer, sizeof buffer);
    if (got <= 0) {
      // Queue overflow or a read error: look at the value anyway rather than miss a change.
      if (got < 0 && errno == EINTR) continue;
      return changed || (got < 0 && errno != EAGAIN);
    }
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if ((event->mask & IN_Q_OVERFLOW) || (event->len && std::strcmp(event->name, RegistryStore::kFileName) == 0)) {
        changed = true;
      }
    }
  }
}

void RegistryWatch::Run() {
  pollfd fds[2] = {{inotify_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      DebugPrintf("settings store watch ended: %s", std::strerror(errno));
      return;
    }
    if (fds[1].revents) return;
    if (!StoreFileChanged()) continue;
    const std::uint32_t value = ReadValue();
    if (value == last_) continue;
    last_ = value;
    onChange_(value);
  }
}

}  // namespace platform
