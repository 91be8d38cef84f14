#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "catalogue/HttpClient.h"
#include "catalogue/TrackCache.h"
#include "platform/UniqueFd.h"

namespace catalogue {

// The stream of one track at a time, for the stream player: a Stream-mode HttpClient of its
// own, and with a track cache in its options (and a key the cache knows for the address, see
// TrackCache::remember) the track's cached bytes first: at once and without the network for
// a whole track; for a partial download, the rest comes by a Range request from where the
// cached bytes end (from a server without ranges, the whole body with the cached part passed
// over); and what the network brings of the track is written into the cache. Offsets
// (`rangeStart`, `bodyBytesRead`) count the track's bytes either way, so that a dropped reply
// or a seek asks for a byte as of the server. Without a cache, or for an address it has no
// key for, every operation is the client's.
//
// The operations are HttpClient's Stream-mode ones of the same name. Threads: as
// HttpClient's; `setUrl` while no read runs.
class HttpStream {
 public:
  // Cached bytes left below this start the network for the rest, so that it is there in time.
  static constexpr std::uint32_t kNetworkLeadBytes = httplimits::kPrebufferChunkCount * httplimits::kChunkDataSize;

  explicit HttpStream(std::string_view url = {}, const HttpClientOptions& options = HttpClientOptions());
  ~HttpStream();
  HttpStream(const HttpStream&) = delete;
  HttpStream& operator=(const HttpStream&) = delete;

  // Written before a start, as HttpClient's.
  std::uint32_t rangeStart = 0;
  bool rangeRebase = false;

  // Takes the address (as HttpClient) and looks its track up in the cache.
  int setUrl(std::string_view url);
  int setUrl(std::u16string_view url);
  const std::string& url() const { return client_.url(); }
  // Forgets the address and its track: the next start fails.
  void clearUrl();
  int start() { return startAsOf(stopCount()) ? 1 : 0; }
  // Begins at `rangeStart`; false when neither the cache nor the network can serve it, or
  // after a stop made since `count` was read.
  bool startAsOf(std::uint64_t count);
  std::uint64_t stopCount() const { return client_.stopCount(); }
  int readStream(void* dest, std::uint32_t wanted, std::uint32_t* got);
  std::size_t queuedChunkCount() const;
  bool waitForQueuedChunks(std::size_t count, std::chrono::milliseconds timeout) const;
  std::uint32_t prebufferChunkCount() const { return client_.prebufferChunkCount(); }
  // Cached bytes count as a download whose connection has closed: all there.
  bool isConnectionOpen() const;
  bool isFinished() const;
  bool isAborted() const { return client_.isAborted(); }
  std::int32_t contentLength() const;
  std::uint32_t bytesReceived() const;
  std::uint32_t bodyBytesRead() const;
  bool rangeRefused() const { return client_.rangeRefused(); }
  bool acceptsRanges() const { return client_.acceptsRanges(); }
  // Ends reading (a read returns 0); what was written stays as a partial download.
  void stop();
  void reset();

  // True when the current track began from cached bytes.
  bool fromCache() const { return fileEnd_.load() > 0; }

 private:
  // Whether the cache takes part in this track at all.
  bool cached() const { return cache_ != nullptr && !key_.empty(); }
  void openTrack();
  std::uint32_t fileLeft() const;
  std::size_t fileChunks() const;
  bool startNetwork(std::uint64_t count);
  void tee(const std::uint8_t* body, std::uint32_t length, std::uint32_t at);
  void closeWriter();

  HttpClient client_;
  TrackCache* const cache_;
  std::string key_;  // the track's key in the cache; empty: not cached

  // The cached part of the track: [0, fileEnd_) of `file_`, and whether it is all of it.
  platform::UniqueFd file_;
  std::atomic<std::uint32_t> fileEnd_{0};
  std::atomic<std::uint32_t> cachedLength_{0};  // the track's length as the cache knows it
  std::atomic<bool> complete_{false};
  std::uint32_t cachedCrc_ = 0;  // of the cached part, to continue it
  std::atomic<std::uint32_t> offset_{0};  // the next byte of the track to hand out
  std::atomic<bool> networkStarted_{false};
  std::atomic<bool> aborted_{false};
  bool networkTried_ = false;     // since the last start (reading thread)
  std::uint64_t startCount_ = 0;  // the stop count of the last start (reading thread)

  // Guards `writer_` and `writerFailed_`: the reading thread appends, `stop` keeps what it
  // wrote.
  std::mutex writerLock_;
  std::unique_ptr<TrackCache::Writer> writer_;
  bool writerFailed_ = false;  // this track is not written again
};

}  // namespace catalogue
