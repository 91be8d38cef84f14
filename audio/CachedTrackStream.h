#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "audio/TrackCache.h"
#include "catalogue/HttpStream.h"
#include "platform/UniqueFd.h"

namespace audio {

// One track's bytes for the player, read as from an `HttpStream`: from the track cache when it
// holds them (at once, without the network), and from the network for the rest of a partial
// download or for a track it does not hold, with what arrives written into the cache. Offsets
// (`rangeStart`, `bodyBytesRead`) count the track's bytes, so a dropped reply or a seek asks
// for a byte as it would of the server; only a contiguous continuation is written.
//
// Threads: `setTrack` from the controlling thread while no read runs; `startAsOf` and the
// reads from the playback thread; `stop` and `reset` from either; the flags from anywhere.
class CachedTrackStream {
 public:
  // Cached bytes left below this start the network for the rest, so that it is there in time.
  static constexpr std::uint32_t kNetworkLeadBytes =
      catalogue::httplimits::kPrebufferChunkCount * catalogue::httplimits::kChunkDataSize;

  // `cache` may be null: a plain stream.
  CachedTrackStream(TrackCache* cache, const catalogue::HttpClientOptions& options);
  ~CachedTrackStream();
  CachedTrackStream(const CachedTrackStream&) = delete;
  CachedTrackStream& operator=(const CachedTrackStream&) = delete;

  // The next track: its cache key (empty: not cached) and its network address (empty: only
  // the cache can serve it). False when the stream refuses the address (it is then not used).
  bool setTrack(const std::string& key, const std::u16string& url);

  // Written before start: the byte of the track to begin at.
  std::uint32_t rangeStart = 0;
  // Begins at `rangeStart`; false when neither the cache nor the network can serve it. A stop
  // made after `stopCount` returned `count` ends it.
  bool startAsOf(std::uint64_t count);
  std::uint64_t stopCount() const { return http_.stopCount(); }
  int readStream(void* dest, std::uint32_t wanted, std::uint32_t* got);
  std::size_t queuedChunkCount() const;
  bool waitForQueuedChunks(std::size_t count, std::chrono::milliseconds timeout) const;
  std::uint32_t prebufferChunkCount() const { return http_.prebufferChunkCount(); }
  // True while bytes may still come: cached ones, or an open connection.
  bool isConnectionOpen() const;
  // True once the whole track has been delivered or the server closed the reply.
  bool isFinished() const;
  std::int32_t contentLength() const;
  // Bytes of the track received so far, from the cache and the network.
  std::uint32_t bytesReceived() const;
  // The byte of the track the reads have reached.
  std::uint32_t bodyBytesRead() const { return offset_.load(); }
  bool rangeRefused() const { return http_.rangeRefused(); }
  // Ends reading (a read returns 0) and keeps what was written as a partial download.
  void stop();
  void reset();

  // True when the current track began from cached bytes.
  bool fromCache() const { return fileEnd_.load() > 0; }

 private:
  std::uint32_t fileLeft() const;
  bool startNetwork(std::uint64_t count);
  void tee(const std::uint8_t* body, std::uint32_t length, std::uint32_t at);
  void closeWriter();

  TrackCache* const cache_;
  catalogue::HttpStream http_;
  std::string key_;
  std::string url_;  // UTF-8; empty when the network cannot serve

  // The cached part of the track: [0, fileEnd_) of `file_`, and whether it is the whole track.
  platform::UniqueFd file_;
  std::atomic<std::uint32_t> fileEnd_{0};
  std::atomic<std::uint32_t> cachedLength_{0};  // the track's length as the cache knows it
  std::atomic<bool> complete_{false};
  std::atomic<std::uint32_t> offset_{0};      // the next byte of the track to hand out
  std::uint32_t cachedCrc_ = 0;                 // of the cached part, to continue it
  std::atomic<bool> networkStarted_{false};
  bool networkTried_ = false;  // since the last start (reading thread)
  std::atomic<bool> aborted_{false};
  std::uint64_t startCount_ = 0;  // the stop count of the last start (reading thread)

  // Guards `writer_` and `writerFailed_`: the reading thread appends, `stop` keeps what it
  // wrote.
  std::mutex writerLock_;
  std::unique_ptr<TrackCache::Writer> writer_;
  bool writerFailed_ = false;  // this track is not written again
};

}  // namespace audio
