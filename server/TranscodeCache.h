#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/HttpExchange.h"
#include "server/TranscodeJob.h"

namespace server {

// The MP3 streams of the library's other formats. A request for a file that has no finished
// transcode starts one on a worker thread (or joins the one under way: a file is transcoded
// once, however many listen); its reply waits only for the source's header, then streams what
// the worker makes as it is made. Finished transcodes stay in a folder of their own, at most
// maxBytes of them: the least recently used go first. The folder survives restarts.
class TranscodeCache {
 public:
  using Log = std::function<void(const std::string& line)>;

  struct Settings {
    std::filesystem::path folder;  // created if missing
    int bitrateKbps = 256;
    int64_t maxBytes = int64_t{1024} * 1024 * 1024;
    unsigned workers = 4;  // transcodes at the same time; more wait their turn
    Log log;               // failures; empty: the debug log
  };

  struct Stats {
    int64_t transcodes = 0;  // started
    int64_t shared = 0;      // requests that joined a transcode under way
    int64_t hits = 0;        // requests served from a finished transcode
    int64_t evicted = 0;
    int64_t failed = 0;
    int64_t files = 0;       // finished transcodes kept now
    int64_t bytes = 0;       // their size
  };

  TranscodeCache() = default;
  ~TranscodeCache();
  TranscodeCache(const TranscodeCache&) = delete;
  TranscodeCache& operator=(const TranscodeCache&) = delete;

  // Reads what the folder holds (dropping unfinished files and anything over the bound) and
  // starts the workers.
  bool Start(const Settings& settings, std::string& error);
  // Cancels what is under way (its listeners' connections end short) and joins the workers.
  void Stop();

  // The reply to a stream request of source (absolute, inside the library; name is its
  // library-relative path). Never blocks on the transcode: a reply that needs the source's
  // header comes as HttpReply::pending. A source that failed before, unchanged since, gets
  // a 500 at once.
  HttpReply Serve(const std::filesystem::path& source, const std::string& name, const std::string& rangeHeader);

  Stats CurrentStats() const;
  const std::filesystem::path& Folder() const { return settings_.folder; }

  static constexpr size_t kMaxRememberedFailures = 1024;

 private:
  struct Entry {
    int64_t bytes = 0;
    std::list<std::string>::iterator use;  // its place in lru_
  };

  void Work();
  // sourceFault: the source itself failed, so it is not tried again until it changes (a
  // failure of the cache folder is tried again at the next request).
  void Completed(const std::shared_ptr<TranscodeJob>& job, bool complete, const std::string& reason,
                 bool sourceFault = true);
  // Drops the least recently used files until the total fits, keep last. Under mutex_.
  void EvictLocked(const std::string& keep);
  std::filesystem::path FileOf(const std::string& key) const;
  void Report(const std::string& line) const;

  Settings settings_;
  std::vector<std::thread> workers_;

  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable queued_;  // a job was queued, or stopping_
  bool stopping_ = false;
  std::deque<std::shared_ptr<TranscodeJob>> queue_;  // not started yet
  std::map<std::string, std::shared_ptr<TranscodeJob>> jobs_;  // queued or running, by key
  std::map<std::string, Entry> entries_;  // finished transcodes, by key
  std::list<std::string> lru_;            // their keys, least recently used first
  std::map<std::string, std::string> failures_;  // key -> reason, of sources that failed
  Stats stats_;
};

}  // namespace server
