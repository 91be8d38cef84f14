#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/NextTrack.h"
#include "catalogue/HttpStream.h"

namespace audio {

// Fetches the next track ahead: on a thread of its own, resolves its stream URL and starts its
// download into a stream of its own, which the playback thread takes over at the join.
//
// Threads: `begin` and `take` from the playback thread; `cancel` from any control thread; the
// flags from anywhere.
class Prefetcher {
 public:
  explicit Prefetcher(const catalogue::HttpClientOptions& options) : options_(options), resolver_(options.forLookup()) {}
  ~Prefetcher() { cancel(); }
  Prefetcher(const Prefetcher&) = delete;
  Prefetcher& operator=(const Prefetcher&) = delete;

  // Starts fetching `next` (a running fetch is cancelled first); false when the thread cannot
  // be made.
  bool begin(const NextTrack& next);
  // Stops the fetch and forgets its stream. A URL lookup under way ends at its next wait step.
  void cancel();
  // The entry being fetched; null when none.
  const void* token() const { return token_.load(); }
  // Waits until the download runs (true) or the fetch failed or was cancelled (false), while
  // `abort` and `seek` stay false, checking every `step`.
  bool waitReady(const std::atomic<bool>& abort, const std::atomic<bool>& seek, std::chrono::milliseconds step);
  // The running download and its track; null when there is none. The fetcher is idle after.
  std::unique_ptr<catalogue::HttpStream> take(NextTrack& track);

 private:
  enum Phase : int { kIdle, kFetching, kReady, kFailed };
  void run(std::uint64_t stopCount);

  const catalogue::HttpClientOptions options_;
  // Serialises begin, cancel and take (held while cancel joins the thread, which never takes it).
  std::mutex controlLock_;
  std::thread thread_;
  catalogue::HttpClient resolver_;             // the URL lookup; stopped by cancel
  std::unique_ptr<catalogue::HttpStream> stream_;  // made by begin, started by the thread
  NextTrack track_;                            // written by begin before the thread starts
  std::atomic<const void*> token_{nullptr};
  std::atomic<int> phase_{kIdle};
};

}  // namespace audio
