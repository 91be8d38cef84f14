#include "audio/CachedTrackStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/DebugLog.h"

namespace audio {

CachedTrackStream::CachedTrackStream(TrackCache* cache, const catalogue::HttpClientOptions& options)
    : cache_(cache && cache->enabled() ? cache : nullptr), http_({}, options) {}

CachedTrackStream::~CachedTrackStream() {
  http_.reset();
  closeWriter();
}

bool CachedTrackStream::setTrack(const std::string& key, const std::u16string& url) {
  reset();
  key_ = cache_ ? key : std::string();
  url_.clear();
  bool taken = true;
  if (!url.empty()) {
    taken = http_.setUrl(url) != 0;
    if (taken) url_ = http_.url();
  }
  if (url_.empty()) http_.clearUrl();  // a refused address never leaves the previous one

  TrackCache::Held held = cache_ && !key_.empty() ? cache_->lookup(key_) : TrackCache::Held{};
  file_ = held.bytes > 0 ? cache_->openData(key_) : platform::UniqueFd();
  if (!file_) held = TrackCache::Held{};
  fileEnd_ = static_cast<std::uint32_t>(held.bytes);
  cachedLength_ = static_cast<std::uint32_t>(held.contentLength);
  cachedCrc_ = held.crc;
  complete_ = held.complete;
  offset_ = 0;
  {
    std::lock_guard<std::mutex> guard(writerLock_);
    writerFailed_ = false;
  }
  if (held.bytes > 0) {
    platform::DebugPrintf("track cache: %s, %u of %u bytes cached", held.complete ? "complete" : "partial",
                          fileEnd_.load(), cachedLength_.load());
  }
  return taken;
}

std::uint32_t CachedTrackStream::fileLeft() const {
  const std::uint32_t at = offset_.load(), end = fileEnd_.load();
  return at < end ? end - at : 0;
}

bool CachedTrackStream::startAsOf(std::uint64_t count) {
  startCount_ = count;
  // A reply still running is stopped by the network's own start (a stop here would count as
  // one made after `count` and end that start).
  networkStarted_ = false;
  networkTried_ = false;
  aborted_ = false;
  offset_ = rangeStart;
  if (complete_) return rangeStart <= fileEnd_;  // the whole track is here
  if (fileLeft() >= kNetworkLeadBytes || (fileLeft() > 0 && url_.empty())) return true;
  // The cached part is short (or there is none): the network comes in now. When it cannot,
  // what is cached still plays.
  return startNetwork(count) || fileLeft() > 0;
}

bool CachedTrackStream::startNetwork(std::uint64_t count) {
  networkTried_ = true;
  if (url_.empty()) return false;
  http_.rangeStart = std::max(offset_.load(), fileEnd_.load());
  if (!http_.startAsOf(count)) return false;
  networkStarted_ = true;
  return true;
}

int CachedTrackStream::readStream(void* dest, std::uint32_t wanted, std::uint32_t* got) {
  auto* out = static_cast<std::uint8_t*>(dest);
  *got = 0;
  while (*got < wanted) {
    if (aborted_) return 0;
    const std::uint32_t at = offset_.load();
    if (at < fileEnd_.load()) {
      const std::uint32_t want = std::min(wanted - *got, fileEnd_.load() - at);
      const ssize_t n = ::pread(file_.Get(), out + *got, want, static_cast<off_t>(at));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        // The cached file is shorter than it was: the network goes on from here.
        fileEnd_ = at;
        complete_ = false;
        continue;
      }
      *got += static_cast<std::uint32_t>(n);
      offset_ = at + static_cast<std::uint32_t>(n);
      if (!complete_ && !networkStarted_ && !networkTried_ && fileLeft() < kNetworkLeadBytes) {
        startNetwork(startCount_);
      }
      continue;
    }
    if (!networkStarted_) {
      // The end of the cached bytes: of the whole track, or of what the cache held when the
      // network could not be reached (the player asks again from here).
      if (complete_ || networkTried_ || !startNetwork(startCount_)) return 0;
      continue;
    }
    const std::uint32_t before = http_.bodyBytesRead();
    std::uint32_t part = 0;
    const int more = http_.readStream(out + *got, wanted - *got, &part);
    // A reply's header block comes first and is not part of the track.
    const std::uint32_t body = std::min(part, http_.bodyBytesRead() - before);
    if (body > 0) {
      tee(out + *got + (part - body), body, at);
      offset_ = at + body;
    }
    *got += part;
    if (!more) return 0;
  }
  return 1;
}

void CachedTrackStream::tee(const std::uint8_t* body, std::uint32_t length, std::uint32_t at) {
  std::lock_guard<std::mutex> guard(writerLock_);
  if (!writer_) {
    // Only what continues the cached bytes is kept, and only with a known length.
    const std::uint32_t total = static_cast<std::uint32_t>(std::max(contentLength(), 0));
    if (!cache_ || key_.empty() || writerFailed_ || total == 0 || at != fileEnd_.load()) return;
    const TrackCache::Held held{fileEnd_.load(), cachedLength_.load(), false, cachedCrc_};
    writer_ = cache_->write(key_, held, total);
    if (!writer_ || writer_->bytes() != at) {
      writer_.reset();
      writerFailed_ = true;
      return;
    }
  }
  if (writer_->bytes() != at) return;  // after a seek: not a continuation
  if (!writer_->append(body, length)) {
    writer_.reset();
    writerFailed_ = true;
    return;
  }
  if (writer_->bytes() == static_cast<std::uint64_t>(std::max(contentLength(), 0)) && writer_->finish()) {
    writer_.reset();
  }
}

void CachedTrackStream::closeWriter() {
  std::lock_guard<std::mutex> guard(writerLock_);
  writer_.reset();  // what it wrote stays as a partial download
}

std::size_t CachedTrackStream::queuedChunkCount() const {
  const std::size_t cached =
      (fileLeft() + catalogue::httplimits::kChunkDataSize - 1) / catalogue::httplimits::kChunkDataSize;
  return cached + (networkStarted_ ? http_.queuedChunkCount() : 0);
}

bool CachedTrackStream::waitForQueuedChunks(std::size_t count, std::chrono::milliseconds timeout) const {
  const std::size_t cached =
      (fileLeft() + catalogue::httplimits::kChunkDataSize - 1) / catalogue::httplimits::kChunkDataSize;
  if (cached >= count || !networkStarted_) return true;
  return http_.waitForQueuedChunks(count - cached, timeout);
}

bool CachedTrackStream::isConnectionOpen() const { return networkStarted_ && http_.isConnectionOpen(); }

bool CachedTrackStream::isFinished() const {
  // Cached bytes are all there, as a download whose connection has closed.
  return networkStarted_ ? http_.isFinished() : true;
}

std::int32_t CachedTrackStream::contentLength() const {
  const std::uint32_t cached = cachedLength_.load();
  return cached > 0 ? static_cast<std::int32_t>(cached) : http_.contentLength();
}

std::uint32_t CachedTrackStream::bytesReceived() const {
  return fileEnd_.load() + (networkStarted_ ? http_.bytesReceived() : 0);
}

void CachedTrackStream::stop() {
  aborted_ = true;
  http_.stop();
  closeWriter();
}

void CachedTrackStream::reset() {
  aborted_ = true;
  http_.reset();
  closeWriter();
}

}  // namespace audio
