#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace catalogue {

class TrackCache;

// Fixed sizes and the default time limits of the HTTP client.
namespace httplimits {

inline constexpr std::uint32_t kChunkDataSize = 2048;     // bytes per stream chunk and per recv
inline constexpr std::uint32_t kPrebufferChunkCount = 64;  // chunks the player waits for
inline constexpr std::int32_t kInitialPoolChunkCount = 768;
// The stream pool budget: 5 MiB counted as 2,056 bytes a chunk (data plus two counters).
inline constexpr std::int32_t kMaxPoolChunkCount = 2550;
inline constexpr std::size_t kMaxUrlLength = 2047;         // bytes, without the terminator
inline constexpr std::size_t kMaxHostLength = 259;
inline constexpr std::size_t kContentLengthValueBytes = 49;
inline constexpr std::size_t kMaxWholeBody = 16u * 1024 * 1024;
// A reply whose status line and headers run past this without their blank line is refused.
inline constexpr std::size_t kMaxHeaderBlock = 64u * 1024;
inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 6.0;)";

}  // namespace httplimits

// The time limits of one client. The defaults are the product's; tests inject short ones.
struct HttpClientOptions {
  std::int64_t waitStepMicros = 200'000;        // one socket wait; bounds how fast stop acts
  std::int64_t connectTimeoutMicros = 70'000'000;
  // A stream-URL lookup, which a track start waits for (on the UI thread, or before the next
  // track is fetched ahead): its connect, and then its reply, are each given up on as soon as
  // the start-up's version check gives up on a silent server, whether the host accepts
  // nothing or accepts and never answers.
  std::int64_t lookupTimeoutMicros = 7'500'000;
  std::int64_t idleTimeoutMicros = 35'000'000;  // without received data
  // A stream counts as idle unless at least this many bytes arrive within the idle limit, so
  // that a trickle of a few bytes cannot hold a connection for ever.
  std::uint32_t idleFloorBytes = 1024;
  // The whole of a WholeBody reply, counted from the end of the connect.
  std::int64_t wholeBodyDeadlineMicros = 60'000'000;
  std::int64_t emptyQueueSleepMillis = 8'000;   // a reader's wait on a signalled empty queue
  std::int32_t poolChunkCount = httplimits::kMaxPoolChunkCount;
  std::size_t maxWholeBody = httplimits::kMaxWholeBody;
  // An `HttpStream`'s cache of tracks: the bytes it holds of a track are read from it, and
  // what the network brings is written into it. Null: none. Borrowed; outlives the streams.
  TrackCache* trackCache = nullptr;

  // These options with the connect and the reply bounded as a lookup's.
  HttpClientOptions forLookup() const {
    HttpClientOptions lookup = *this;
    lookup.connectTimeoutMicros = std::min(connectTimeoutMicros, lookupTimeoutMicros);
    lookup.idleTimeoutMicros = std::min(idleTimeoutMicros, lookupTimeoutMicros);
    lookup.wholeBodyDeadlineMicros = std::min(wholeBodyDeadlineMicros, lookupTimeoutMicros);
    return lookup;
  }
};

}  // namespace catalogue
