// The Stream-mode side of HttpClient: the worker that fills pool chunks and the reader.
#include <errno.h>
#include <sys/uio.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "catalogue/HttpClient.h"
#include "catalogue/HttpHeaderScanner.h"

namespace catalogue {

namespace {

constexpr int kMaxEmptyQueueSleeps = 3;
constexpr std::chrono::milliseconds kReadWait(100);

}  // namespace

std::size_t HttpClient::TakeFreeChunks(DataChunk** out, std::size_t most) {
  std::lock_guard<std::mutex> guard(queueLock_);
  std::size_t count = 0;
  while (count < most && !freePool_.Empty()) {
    DataChunk* chunk = freePool_.PopFront();
    chunk->fillCount = 0;
    chunk->readPosition = 0;
    out[count++] = chunk;
  }
  if (freePool_.Empty()) chunkFree_.Reset();
  return count;
}

void HttpClient::QueueChunks(DataChunk* const* chunks, std::size_t count) {
  if (count == 0) return;
  std::lock_guard<std::mutex> guard(queueLock_);
  for (std::size_t i = 0; i < count; ++i) readyQueue_.PushBack(chunks[i]);
  dataAvailable_.Set();
  queueChanged_.notify_all();
}

void HttpClient::RecycleChunks(DataChunk* const* chunks, std::size_t count) {
  if (count == 0) return;
  std::lock_guard<std::mutex> guard(queueLock_);
  for (std::size_t i = 0; i < count; ++i) freePool_.PushBack(chunks[i]);
  chunkFree_.Set();
}

// One receive into the held chunks (the first may be partly filled already); the chunks it
// fills are queued and leave `held`. False when the worker must leave: abort, idle time-out
// or receive error. The end of the reply sets isFinished and returns true.
bool HttpClient::ReceiveIntoChunks(DataChunk** held, std::size_t* heldCount,
                                   HttpHeaderScanner* scanner, std::int64_t* idleMicros,
                                   std::uint32_t* bytesSinceActive) {
  // A range reply's header block is taken out of its chunk: until it ends, one chunk a
  // receive, so that no chunk after it holds bytes yet.
  // So do the body bytes passed over before the asked byte.
  const bool ranged = activeRange_ != 0;
  const std::size_t receiveCount = ranged && (!scanner->HeadersComplete() || skipBytes_ > 0) ? 1 : *heldCount;
  iovec buffers[kStreamBatch];
  for (std::size_t i = 0; i < receiveCount; ++i) {
    buffers[i].iov_base = held[i]->data + held[i]->fillCount;
    buffers[i].iov_len = httplimits::kChunkDataSize - held[i]->fillCount;
  }
  ssize_t n = socket_.ReceiveVector(buffers, static_cast<int>(receiveCount));
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    // Nothing waiting: wait for data in steps, so that stop takes effect within one step.
    return WaitForData(idleMicros) == WaitOutcome::kData;
  }
  if (n < 0) return false;
  if (n == 0) {
    isFinished_.store(1, std::memory_order_release);
    return true;
  }
  // A trickle below the floor keeps counting towards the idle limit.
  *bytesSinceActive += static_cast<std::uint32_t>(n);
  if (*bytesSinceActive >= options_.idleFloorBytes) {
    *idleMicros = 0;
    *bytesSinceActive = 0;
  }
  bytesReceived_.fetch_add(static_cast<std::uint32_t>(n), std::memory_order_relaxed);
  std::size_t left = static_cast<std::size_t>(n);
  std::size_t full = 0;
  for (std::size_t i = 0; i < *heldCount && left > 0; ++i) {
    DataChunk* chunk = held[i];
    const std::uint32_t count = static_cast<std::uint32_t>(
        std::min<std::size_t>(left, httplimits::kChunkDataSize - chunk->fillCount));
    left -= count;
    std::uint32_t kept = count;
    std::uint8_t* at = chunk->data + chunk->fillCount;
    if (!scanner->HeadersComplete()) {
      const std::size_t header = scanner->Feed(at, count);
      rangeHeader_.append(reinterpret_cast<const char*>(at), header);
      if (!ranged) {
        if (scanner->ContentLengthFound()) {
          contentLength_.store(scanner->ContentLength(), std::memory_order_relaxed);
        }
        if (scanner->HeadersComplete()) {
          firstHeaderLength_.store(static_cast<std::uint32_t>(scanner->HeaderLength()), std::memory_order_relaxed);
          if (HttpHeaderScanner::AcceptsByteRanges(rangeHeader_)) acceptsRanges_.store(true, std::memory_order_release);
        }
      } else {
        kept = count - static_cast<std::uint32_t>(header);
        std::memmove(at, at + header, kept);
        if (scanner->HeadersComplete()) {
          // The asked byte, or (rangeOrWhole) an earlier one, whose bytes up to the asked one
          // are passed over.
          const std::optional<std::uint32_t> start = HttpHeaderScanner::BodyStart(rangeHeader_);
          if (!start || *start > activeRange_ || (*start < activeRange_ && !activeOrWhole_)) {
            rangeRefused_.store(true, std::memory_order_release);
            return false;
          }
          skipBytes_ = activeRange_ - *start;
          if (skipBytes_ == 0) acceptsRanges_.store(true, std::memory_order_release);
        }
      }
    }
    if (skipBytes_ > 0 && kept > 0) {
      const std::uint32_t passed = std::min(skipBytes_, kept);
      kept -= passed;
      skipBytes_ -= passed;
      std::memmove(at, at + passed, kept);
    }
    chunk->fillCount += kept;
    if (chunk->fillCount == httplimits::kChunkDataSize) ++full;
  }
  if (isAborted() || HeaderTooLong(*scanner)) return false;
  QueueChunks(held, full);
  std::copy(held + full, held + *heldCount, held);
  *heldCount -= full;
  return true;
}

void HttpClient::RunStream() {
  if (activeRange_ == 0) bytesReceived_.store(0, std::memory_order_relaxed);
  rangeHeader_.clear();
  skipBytes_ = 0;
  DataChunk* held[kStreamBatch];
  std::size_t heldCount = TakeFreeChunks(held, kStreamBatch);
  workerStarted_.Set();
  HttpHeaderScanner scanner;
  std::int64_t idle = 0;
  std::uint32_t sinceActive = 0;
  while (!isFinished()) {
    if (isAborted()) break;
    if (heldCount == 0) {
      chunkFree_.Wait();
      if (isAborted()) break;
      heldCount = TakeFreeChunks(held, kStreamBatch);
      continue;
    }
    if (!ReceiveIntoChunks(held, &heldCount, &scanner, &idle, &sinceActive)) break;
  }
  // At the end of the reply the partly filled chunk is queued; after an abort, error or
  // time-out it is not. Chunks still held go back to the pool.
  std::size_t last = isFinished() && !isAborted() && heldCount > 0 && held[0]->fillCount > 0 ? 1 : 0;
  QueueChunks(held, last);
  RecycleChunks(held + last, heldCount - last);
  CloseConnection();
}

std::uint32_t HttpClient::bodyBytesRead() const {
  const std::uint32_t raw = rawBytesRead_.load(std::memory_order_relaxed);
  const std::uint32_t header = firstHeaderLength_.load(std::memory_order_relaxed);
  return raw > header ? raw - header : 0;
}

bool HttpClient::waitForQueuedChunks(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(queueLock_);
  return queueChanged_.wait_for(lock, timeout, [&] { return readyQueue_.Size() >= count || !isConnectionOpen(); });
}

std::size_t HttpClient::queuedChunkCount() const {
  std::lock_guard<std::mutex> guard(queueLock_);
  return readyQueue_.Size();
}

int HttpClient::readStream(void* dest, std::uint32_t wanted, std::uint32_t* got) {
  *got = 0;
  if (wanted == 0) return 1;
  auto* out = static_cast<std::uint8_t*>(dest);
  for (;;) {
    if (!dataAvailable_.WaitFor(kReadWait)) {
      // The worker queues its last chunk before it closes the connection, so a closed
      // connection with an empty queue means the stream is over.
      if (!isConnectionOpen() && queuedChunkCount() == 0) return 0;
      continue;
    }
    int sleeps = 0;
    while (queuedChunkCount() == 0) {
      // Signalled with nothing queued happens after stop; with the worker gone nothing more
      // can come, so the reader does not wait out the sleeps.
      if (isFinished() || !isConnectionOpen() || sleeps >= kMaxEmptyQueueSleeps) return 0;
      workerEnded_.WaitFor(std::chrono::milliseconds(options_.emptyQueueSleepMillis));
      ++sleeps;
    }
    std::lock_guard<std::mutex> guard(queueLock_);
    if (readyQueue_.Empty()) continue;  // stop emptied it meanwhile
    DataChunk* chunk = readyQueue_.Front();
    std::uint32_t count = std::min(chunk->fillCount - chunk->readPosition, wanted - *got);
    std::memcpy(out + *got, chunk->data + chunk->readPosition, count);
    rawBytesRead_.fetch_add(count, std::memory_order_relaxed);
    chunk->readPosition += count;
    *got += count;
    if (chunk->readPosition >= chunk->fillCount) {
      freePool_.PushBack(readyQueue_.PopFront());
      chunkFree_.Set();
    }
    if (readyQueue_.Empty()) dataAvailable_.Reset();
    if (*got >= wanted) return 1;
  }
}

}  // namespace catalogue
