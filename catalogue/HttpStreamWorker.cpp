// The Stream-mode side of HttpClient: the worker that fills pool chunks and the reader.
#include <errno.h>

#include <algorithm>
#include <cstring>

#include "catalogue/HttpClient.h"
#include "catalogue/HttpHeaderScanner.h"

namespace {

constexpr int kMaxEmptyQueueSleeps = 3;
constexpr std::chrono::milliseconds kReadWait(100);

}  // namespace

DataChunk* HttpClient::TakeFreeChunk() {
  std::lock_guard<std::mutex> guard(queueLock_);
  if (freePool_.Empty()) return nullptr;
  DataChunk* chunk = freePool_.PopFront();
  chunk->fillCount = 0;
  chunk->readPosition = 0;
  if (freePool_.Empty()) chunkFree_.Reset();
  return chunk;
}

void HttpClient::RecycleChunk(DataChunk* chunk) {
  std::lock_guard<std::mutex> guard(queueLock_);
  freePool_.PushBack(chunk);
  chunkFree_.Set();
}

// Fills `chunk` up to its size or the end of the reply; false when the worker must leave
// (abort, idle time-out or receive error).
bool HttpClient::FillChunk(DataChunk* chunk, HttpHeaderScanner* scanner) {
  std::int64_t idle = 0;
  while (chunk->fillCount < httplimits::kChunkDataSize) {
    if (WaitForData(&idle) != WaitOutcome::kData) return false;
    std::uint8_t* at = chunk->data + chunk->fillCount;
    ssize_t n = socket_.Receive(at, httplimits::kChunkDataSize - chunk->fillCount);
    if (n == 0) {
      isFinished_.store(1, std::memory_order_release);
      return true;
    }
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) continue;
      return false;
    }
    idle = 0;
    if (!scanner->HeadersComplete()) {
      scanner->Feed(at, static_cast<std::size_t>(n));
      if (scanner->ContentLengthFound()) {
        contentLength_.store(scanner->ContentLength(), std::memory_order_relaxed);
      }
    }
    chunk->fillCount += static_cast<std::uint32_t>(n);
    bytesReceived_.fetch_add(static_cast<std::uint32_t>(n), std::memory_order_relaxed);
  }
  return true;
}

void HttpClient::RunStream() {
  bytesReceived_.store(0, std::memory_order_relaxed);
  DataChunk* current = TakeFreeChunk();
  workerStarted_.Set();
  HttpHeaderScanner scanner;
  while (!isFinished()) {
    while (!current) {
      chunkFree_.Wait();
      if (isAborted()) break;
      current = TakeFreeChunk();
    }
    if (!current) break;
    if (!FillChunk(current, &scanner) || isAborted()) break;
    if (current->fillCount == 0) continue;  // reused: the reply ended on a chunk boundary
    {
      std::lock_guard<std::mutex> guard(queueLock_);
      readyQueue_.PushBack(current);
      dataAvailable_.Set();
    }
    current = nullptr;
  }
  // A chunk being filled when the worker left is not queued; it goes back to the pool.
  if (current) RecycleChunk(current);
  CloseConnection();
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
