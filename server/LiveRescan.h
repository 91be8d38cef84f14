#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/UniqueFd.h"
#include "server/LibraryScanner.h"
#include "server/LibraryWatcher.h"

namespace server {

// Keeps an index in step with its library while the server runs, on a thread of its own:
// inotify events are gathered until the library has been quiet for the settle time, then the
// folders they name are rescanned; a full rescan comes every interval (for file systems that
// deliver no events) and whenever RescanNow() asks for one. Each rescan is one write
// transaction through the scanner, so readers see the index before it or after it.
class LiveRescan {
 public:
  struct Settings {
    bool watch = true;                               // inotify on the library's folders
    std::chrono::milliseconds settle{2000};          // quiet time before a rescan
    std::chrono::minutes interval{0};                // full rescans this often; 0: never
  };
  struct Totals {
    int64_t rescans = 0;   // finished rescans, full or partial
    int64_t tagsRead = 0;  // files read by all of them
    ScanStats last;        // the latest rescan's figures
  };

  LiveRescan() = default;
  ~LiveRescan() { Stop(); }
  LiveRescan(const LiveRescan&) = delete;
  LiveRescan& operator=(const LiveRescan&) = delete;

  // Starts the thread; the scanner is the thread's alone until Stop(). Without a watch (not
  // asked for, or inotify unavailable) it still rescans on RescanNow() and every interval.
  bool Start(LibraryScanner& scanner, const std::filesystem::path& root, const Settings& settings);
  // Joins the thread; a rescan in progress finishes first. Safe to call more than once.
  void Stop();
  // Read by the scanner while this object runs it: a scan in progress gives up (nothing of it
  // is written) when Stop() is called.
  const std::atomic<bool>& Stopping() const { return stop_; }
  // A full rescan as soon as the thread is free. Any thread, also from a signal-handling loop.
  void RescanNow();
  Totals CurrentTotals() const;

 private:
  void Run();
  void Wake();
  void RunScan(const LibraryChanges& changes, LibraryChanges& retry);

  LibraryScanner* scanner_ = nullptr;
  Settings settings_;
  std::filesystem::path root_;
  LibraryWatcher watcher_;  // the thread's
  platform::UniqueFd wake_;  // eventfd: Stop() and RescanNow() wake the thread through it
  std::atomic<bool> stop_{false};  // also read by the scanner, which gives up a scan when set
  std::atomic<bool> full_{false};
  std::thread thread_;
  mutable std::mutex totalsMutex_;  // guards totals_: written by the thread, read by anyone
  Totals totals_;
};

}  // namespace server
