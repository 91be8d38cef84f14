#include "server/LiveRescan.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/DebugLog.h"

namespace server {

namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

bool LiveRescan::Start(LibraryScanner& scanner, const std::filesystem::path& root, const Settings& settings) {
  Stop();
  scanner_ = &scanner;
  settings_ = settings;
  root_ = root;
  wake_ = platform::UniqueFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!wake_) return false;
  stop_ = false;
  full_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void LiveRescan::Stop() {
  if (!thread_.joinable()) return;
  stop_ = true;
  Wake();
  thread_.join();
}

void LiveRescan::RescanNow() {
  full_ = true;
  Wake();
}

void LiveRescan::Wake() {
  const uint64_t one = 1;
  if (wake_) [[maybe_unused]] ssize_t written = ::write(wake_.Get(), &one, sizeof one);
}

LiveRescan::Totals LiveRescan::CurrentTotals() const {
  std::lock_guard<std::mutex> lock(totalsMutex_);
  return totals_;
}

void LiveRescan::RunScan(const LibraryChanges& changes, LibraryChanges& retry) {
  ScanStats stats;
  if (!scanner_->Rescan(changes, stats)) platform::DebugPrintf("server: rescan failed\n");
  // Files still being written are looked at again once the library is quiet once more.
  if (stats.pending > 0) retry = changes;
  std::lock_guard<std::mutex> lock(totalsMutex_);
  ++totals_.rescans;
  totals_.tagsRead += stats.tagsRead;
  totals_.last = stats;
}

void LiveRescan::Run() {
  // Watching starts here, not in Start(): walking a large library's folders must not hold up
  // the caller (the client's first paint).
  const bool watching = settings_.watch && watcher_.Start(root_);
  if (settings_.watch && !watching) platform::DebugPrintf("server: cannot watch %s\n", root_.c_str());
  // What changed between the caller's scan and the watches being set raised no event: look once
  // more now that every later change will (unchanged files cost a stat each).
  if (watching) full_ = true;
  LibraryChanges changes;
  std::optional<Clock::time_point> quietAt;  // when gathered changes are due for a rescan
  const bool periodic = settings_.interval.count() > 0;
  Clock::time_point nextFull = Clock::now() + settings_.interval;
  while (!stop_) {
    if (full_.exchange(false)) {
      LibraryChanges retry;
      LibraryChanges everything;
      everything.everything = true;
      RunScan(everything, retry);
      changes = LibraryChanges{};
      quietAt.reset();
      if (!retry.Empty()) {
        changes = retry;
        quietAt = Clock::now() + settings_.settle;
      }
      nextFull = Clock::now() + settings_.interval;
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (quietAt && now >= *quietAt) {
      LibraryChanges retry;
      RunScan(changes, retry);
      changes = retry;
      quietAt.reset();
      if (!changes.Empty()) quietAt = Clock::now() + settings_.settle;
      continue;
    }
    if (periodic && now >= nextFull) {
      full_ = true;
      continue;
    }

    std::optional<Clock::time_point> due = quietAt;
    if (periodic) due = due ? std::min(*due, nextFull) : nextFull;
    int timeoutMs = -1;
    if (due) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - now).count();
      timeoutMs = static_cast<int>(std::clamp<int64_t>(left, 0, 60 * 60 * 1000));
    }
    pollfd fds[2] = {{wake_.Get(), POLLIN, 0}, {watching ? watcher_.Fd() : -1, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      uint64_t count = 0;
      [[maybe_unused]] ssize_t got = ::read(wake_.Get(), &count, sizeof count);
    }
    // Every relevant event restarts the quiet period: a file still being copied keeps it open.
    if ((fds[1].revents & POLLIN) && watcher_.Drain(changes)) quietAt = Clock::now() + settings_.settle;
  }
}

}  // namespace server
