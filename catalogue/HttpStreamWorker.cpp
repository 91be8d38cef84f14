// The Stream-mode side of HttpClient: the worker that fills pool chunks and the reader.
#include <errno.h>
#include <sys/uio.h>

#include <algorithm>
#include <cstring>

#include "catalogue/HttpClient.h"
#include "catalogue/HttpHeaderScanner.h"

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
                                   HttpHeaderScanner* scanner, std::int64_t* idleMicros) {
  iovec buffers[kStreamBatch];
  for (std::size_t i = 0; i < *heldCount; ++i) {
    buffers[i].iov_base = held[i]->data + held[i]->fillCount;
    buffers[i].iov_len = httplimits::kChunkDataSize - held[i]->fillCount;
  }
  ssize_t n = socket_.ReceiveVector(buffers, static_cast<int>(*heldCount));
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    // Nothing waiting: wait for data in steps, so that stop takes effect within one step.
    return WaitForData(idleMicros) == WaitOutcome::kData;
  }
  if (n < 0) return false;
  if (n == 0) {
    isFinished_.store(1, std::memory_order_release);
    return true;
  }
  *idleMicros = 0;
  bytesReceived_.fetch_add(static_cast<std::uint32_t>(n), std::memory_order_relaxed);
  std::size_t left = static_cast<std::size_t>(n);
  std::size_t full = 0;
  for (std::size_t i = 0; i < *heldCount && left > 0; ++i) {
    DataChunk* chunk = held[i];
    std::uint32_t count = static_cast<std::uint32_t>(
        std::min<std::size_t>(left, httplimits::kChunkDataSize - chunk->fillCount));
    if (!scanner->HeadersComplete()) {
      scanner->Feed(chunk->data + chunk->fillCount, count);
      if (scanner->ContentLengthFound()) {
        contentLength_.store(scanner->ContentLength(), std::memory_order_relaxed);
      }
    }
    chunk->fillCount += count;
    left -= count;
    if (chunk->fillCount == httplimits::kChunkDataSize) ++full;
  }
  if (isAborted()) return false;
  QueueChunks(held, full);
  std::copy(held + full, held + *heldCount, held);
  *heldCount -= full;
  return true;
}

void HttpClient::RunStream() {
  bytesReceived_.store(0, std::memory_order_relaxed);
  DataChunk* held[kStreamBatch];
  std::size_t heldCount = TakeFreeChunks(held, kStreamBatch);
  workerStarted_.Set();
  HttpHeaderScanner scanner;
  std::int64_t idle = 0;
  while (!isFinished()) {
    if (isAborted()) break;
    if (heldCount == 0) {
      chunkFree_.Wait();
      if (isAborted()) break;
      heldCount = TakeFreeChunks(held, kStreamBatch);
      continue;
    }
    if (!ReceiveIntoChunks(held, &heldCount, &scanner, &idle)) break;
  }
  // At the end of the reply the partly filled chunk is queued; after an abort, error or
  // time-out it is not. Chunks still held go back to the pool.
  std::size_t last = isFinished() && !isAborted() && heldCount > 0 && held[0]->fillCount > 0 ? 1 : 0;
  QueueChunks(held, last);
  RecycleChunks(held + last, heldCount - last);
  CloseConnection();
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
