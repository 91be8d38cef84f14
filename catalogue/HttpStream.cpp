#include "catalogue/HttpStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/DebugLog.h"
#include "platform/TextCodec.h"

namespace catalogue {

HttpStream::HttpStream(std::string_view url, const HttpClientOptions& options)
    : client_(options), cache_(options.trackCache && options.trackCache->enabled() ? options.trackCache : nullptr) {
  if (!url.empty()) setUrl(url);
}

HttpStream::~HttpStream() {
  client_.reset();
  closeWriter();
}

int HttpStream::setUrl(std::string_view url) {
  const int taken = client_.setUrl(url);
  if (taken) openTrack();
  return taken;
}

int HttpStream::setUrl(std::u16string_view url) {
  const int taken = client_.setUrl(url);
  if (taken) openTrack();
  return taken;
}

void HttpStream::clearUrl() {
  client_.clearUrl();
  openTrack();  // no address, no track
}

void HttpStream::openTrack() {
  closeWriter();
  key_ = cache_ ? cache_->keyFor(url()) : std::string();
  TrackCache::Held held = cached() ? cache_->lookup(key_) : TrackCache::Held{};
  file_ = held.bytes > 0 ? cache_->openData(key_) : platform::UniqueFd();
  if (!file_) held = TrackCache::Held{};
  fileEnd_ = static_cast<std::uint32_t>(held.bytes);
  cachedLength_ = static_cast<std::uint32_t>(held.contentLength);
  cachedCrc_ = held.crc;
  complete_ = held.complete;
  offset_ = 0;
  networkStarted_ = false;
  {
    std::lock_guard<std::mutex> guard(writerLock_);
    writerFailed_ = false;
  }
  if (held.bytes > 0) {
    platform::DebugPrintf("track cache: %s, %u of %u bytes cached", held.complete ? "complete" : "partial",
                          fileEnd_.load(), cachedLength_.load());
  }
}

std::uint32_t HttpStream::fileLeft() const {
  const std::uint32_t at = offset_.load(), end = fileEnd_.load();
  return at < end ? end - at : 0;
}

std::size_t HttpStream::fileChunks() const {
  return (fileLeft() + httplimits::kChunkDataSize - 1) / httplimits::kChunkDataSize;
}

bool HttpStream::startAsOf(std::uint64_t count) {
  client_.rangeRebase = rangeRebase;
  if (!cached()) {
    client_.rangeStart = rangeStart;
    client_.rangeOrWhole = false;
    return client_.startAsOf(count);
  }
  startCount_ = count;
  // A reply still running is ended by the network's own start (a stop here would count as
  // one made after `count` and end that start too).
  networkStarted_ = false;
  networkTried_ = false;
  aborted_ = false;
  // A stop sets `aborted_` after it counts: one made since `count` is seen here or stays set.
  if (client_.stopCount() != count) return false;
  offset_ = rangeStart;
  if (complete_) return rangeStart <= fileEnd_;  // the whole track is here
  if (fileLeft() >= kNetworkLeadBytes) return true;
  // Little or nothing cached: the network comes in now. When it cannot, what is cached still
  // plays.
  return startNetwork(count) || fileLeft() > 0;
}

bool HttpStream::startNetwork(std::uint64_t count) {
  networkTried_ = true;
  if (url().empty()) return false;
  // From where the cached bytes end; a server without ranges sends them again, passed over.
  client_.rangeStart = std::max(offset_.load(), fileEnd_.load());
  client_.rangeOrWhole = true;
  const bool started = client_.startAsOf(count);
  networkStarted_ = started;
  return started;
}

int HttpStream::readStream(void* dest, std::uint32_t wanted, std::uint32_t* got) {
  if (!cached()) return client_.readStream(dest, wanted, got);
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
    const std::uint32_t before = client_.bodyBytesRead();
    std::uint32_t part = 0;
    const int more = client_.readStream(out + *got, wanted - *got, &part);
    // A reply's header block comes first and is not part of the track.
    const std::uint32_t body = std::min(part, client_.bodyBytesRead() - before);
    if (body > 0) {
      tee(out + *got + (part - body), body, at);
      offset_ = at + body;
    }
    *got += part;
    if (!more) return 0;
  }
  return 1;
}

void HttpStream::tee(const std::uint8_t* body, std::uint32_t length, std::uint32_t at) {
  std::lock_guard<std::mutex> guard(writerLock_);
  if (!writer_) {
    // Only what continues the cached bytes is kept, and only with a known length.
    const std::uint32_t total = static_cast<std::uint32_t>(std::max(contentLength(), 0));
    if (writerFailed_ || total == 0 || at != fileEnd_.load()) return;
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

void HttpStream::closeWriter() {
  std::lock_guard<std::mutex> guard(writerLock_);
  writer_.reset();  // what it wrote stays as a partial download
}

std::size_t HttpStream::queuedChunkCount() const {
  if (!cached()) return client_.queuedChunkCount();
  return fileChunks() + (networkStarted_ ? client_.queuedChunkCount() : 0);
}

bool HttpStream::waitForQueuedChunks(std::size_t count, std::chrono::milliseconds timeout) const {
  if (!cached()) return client_.waitForQueuedChunks(count, timeout);
  const std::size_t inFile = fileChunks();
  if (inFile >= count || !networkStarted_) return true;
  return client_.waitForQueuedChunks(count - inFile, timeout);
}

bool HttpStream::isConnectionOpen() const {
  if (!cached()) return client_.isConnectionOpen();
  return networkStarted_ && client_.isConnectionOpen();
}

bool HttpStream::isFinished() const {
  if (!cached()) return client_.isFinished();
  if (networkStarted_) return client_.isFinished();
  // Cached bytes are all there, as a download whose connection has closed.
  return fileEnd_.load() > 0 || complete_;
}

std::int32_t HttpStream::contentLength() const {
  const std::uint32_t known = cached() ? cachedLength_.load() : 0;
  return known > 0 ? static_cast<std::int32_t>(known) : client_.contentLength();
}

std::uint32_t HttpStream::bytesReceived() const {
  if (!cached()) return client_.bytesReceived();
  return fileEnd_.load() + (networkStarted_ ? client_.bytesReceived() : 0);
}

std::uint32_t HttpStream::bodyBytesRead() const {
  return cached() ? offset_.load() : client_.bodyBytesRead();
}

// The client counts the stop before `aborted_` is set: see startAsOf.
void HttpStream::stop() {
  client_.stop();
  aborted_ = true;
  closeWriter();
}

void HttpStream::reset() {
  client_.reset();
  aborted_ = true;
  closeWriter();
}

}  // namespace catalogue
