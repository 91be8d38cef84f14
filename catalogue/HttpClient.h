#pragma once

#include <atomic>
#include <condition_variable>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "catalogue/DataChunk.h"
#include "catalogue/HttpClientLimits.h"
#include "catalogue/TcpSocket.h"
#include "platform/ManualResetEvent.h"

namespace catalogue {

// Fetches one URL at a time with an HTTP/1.0 GET and receives the reply on a worker thread of
// its own, either as one body (WholeBody: headers skipped, body gathered until the server
// closes) or as a stream of raw 2,048-byte chunks (Stream: status line and headers included)
// through a bounded pool shared with one reading thread. No status codes, redirects, chunked
// transfer or keep-alive: a reply ends when the server closes the connection.
//
// Threads: start, stop, reset and setUrl are called from one controlling thread (start and
// stop are also safe against each other from two threads); readStream and the stream
// accessors from one reading thread; the flags may be polled from anywhere.
class HttpClient {
 public:
  enum ReceiveMode : std::int32_t { Stream = 0, WholeBody = 1 };

  explicit HttpClient(const HttpClientOptions& options = HttpClientOptions());
  virtual ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Written by the caller before start.
  ReceiveMode receiveMode = Stream;
  // Stream mode: when not 0, start asks for the body from this byte on ("Range: bytes=N-")
  // and takes only a 206 reply whose Content-Range starts there (but see rangeOrWhole). Its
  // header block is not queued, and bodyBytesRead and contentLength go on from the reply
  // before, so that reading continues where a dropped reply stopped.
  std::uint32_t rangeStart = 0;
  // With rangeStart: the reply starts a new position (a seek) rather than continuing the
  // reply before, and bodyBytesRead counts on from rangeStart.
  bool rangeRebase = false;
  // With rangeStart: a reply that starts before it (a 200 with the whole body from a server
  // without ranges, or a 206 from an earlier byte) is taken rather than refused, and its bytes
  // before rangeStart are passed over, so that reading goes on at rangeStart all the same.
  bool rangeOrWhole = false;

  // Takes `url` (UTF-8 or UTF-16) when it is acceptable (IsAcceptableUrl); 1 or 0, and `url`
  // is unchanged on 0.
  int setUrl(std::string_view url);
  int setUrl(std::u16string_view url);
  const std::string& url() const { return url_; }
  // Forgets the URL: the next start fails to connect.
  void clearUrl() { url_.clear(); }

  // Stops any running request, connects (on this thread, up to the connect time-out), sends
  // the request and launches the worker; 1 once the worker runs, 0 on any failure.
  int start();
  // As start (true once the worker runs), but a stop or reset made after stopCount() returned
  // `stopCount` also ends it: a controller that decides to start on one thread and starts on
  // another reads the count when it decides, so that a stop in between is never missed.
  bool startAsOf(std::uint64_t stopCount);
  std::uint64_t stopCount() const { return stopGeneration_.load(std::memory_order_acquire); }
  // How a whole-body fetch ended.
  enum class FetchStatus {
    kFinished,    // the server closed the connection
    kAborted,     // the worker gave up: idle time-out, body cap or receive error
    kNotStarted,  // the URL was refused or no connection was made
    kTimedOut,    // the caller's time-out passed first; the request was stopped
  };
  struct WholeBodyReply {
    FetchStatus status = FetchStatus::kNotStarted;
    std::string body;  // what arrived, also when aborted or timed out
  };
  // Fetches `url` as one body and blocks until the worker has ended or `timeout` (which
  // counts from the call, connect included) has passed. Without a time-out the client's
  // idle time-out bounds the wait. The body moves into the reply (body() is empty after).
  WholeBodyReply fetchWholeBody(std::string_view url,
                                std::optional<std::chrono::milliseconds> timeout = std::nullopt);

  // Ends the worker, empties the chunk lists and clears isAborted and isFinished. Returns
  // within about one wait step also while another thread is connecting in start.
  void stop();
  // stop, then zeroes bytesReceived and contentLength.
  void reset();

  // Set by stop, by the WholeBody idle time-out, body cap or receive error.
  bool isAborted() const { return isAborted_.load(std::memory_order_acquire) != 0; }
  // Set when the server closed the connection.
  bool isFinished() const { return isFinished_.load(std::memory_order_acquire) != 0; }

  // WholeBody results, valid once isFinished or isAborted is seen; kept until destruction
  // or the next start.
  const std::uint8_t* body() const { return reinterpret_cast<const std::uint8_t*>(body_.data()); }
  std::size_t bodyLength() const { return body_.size(); }

  // Stream reading: copies up to `wanted` bytes to `dest`; 1 when all were copied, 0 when the
  // stream ended first (`got` holds the bytes copied). wanted 0 returns 1 at once.
  int readStream(void* dest, std::uint32_t wanted, std::uint32_t* got);
  std::size_t queuedChunkCount() const;
  // Blocks until at least `count` chunks are queued or the connection has closed (the worker
  // ended, also by stop); false when `timeout` passed first.
  bool waitForQueuedChunks(std::size_t count, std::chrono::milliseconds timeout) const;
  std::uint32_t prebufferChunkCount() const { return httplimits::kPrebufferChunkCount; }
  std::int32_t poolChunkCount() const { return poolChunkCount_.load(std::memory_order_relaxed); }
  // Raw reply bytes (headers included) received by the current or last worker.
  std::uint32_t bytesReceived() const { return bytesReceived_.load(std::memory_order_relaxed); }
  std::int32_t contentLength() const { return contentLength_.load(std::memory_order_relaxed); }
  // Body bytes handed out by readStream since the last start without rangeStart (the first
  // reply's header block not counted).
  std::uint32_t bodyBytesRead() const;
  // True when the last start with rangeStart got a reply other than the wanted 206.
  bool rangeRefused() const { return rangeRefused_.load(std::memory_order_acquire); }
  // True once the reply started without a range said "Accept-Ranges: bytes", or a range
  // reply was taken.
  bool acceptsRanges() const { return acceptsRanges_.load(std::memory_order_acquire); }
  // False once the worker has closed its connection (or before any start).
  bool isConnectionOpen() const { return connectionOpen_.load(std::memory_order_acquire); }

  const std::string& userAgent() const { return userAgent_; }

 private:
  enum class WaitOutcome { kData, kAborted, kIdle, kError };
  static constexpr std::size_t kStreamBatch = 32;  // chunks filled by one receive at most

  // stop's work; the caller holds controlLock_.
  void StopLocked();
  bool BuildChunkPool();
  void ReleaseChunkPool();
  bool Connect(std::uint64_t stopGeneration);
  bool ShouldGiveUp(std::uint64_t stopGeneration) const;
  // Waits in steps for the socket to be readable. `idleMicros` counts the time waited since
  // the receive loop last saw enough data; `deadline` (steady clock) ends the wait as idle.
  WaitOutcome WaitForData(std::int64_t* idleMicros,
                          std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());
  void CloseConnection();
  void RunWholeBody();
  void RunStream();
  // Stream worker helpers: chunks are taken from freePool_ in batches of up to
  // kStreamBatch, filled by one scatter receive, and queued as each becomes full.
  std::size_t TakeFreeChunks(DataChunk** out, std::size_t most);
  void QueueChunks(DataChunk* const* chunks, std::size_t count);
  void RecycleChunks(DataChunk* const* chunks, std::size_t count);
  bool ReceiveIntoChunks(DataChunk** held, std::size_t* heldCount, class HttpHeaderScanner* scanner,
                         std::int64_t* idleMicros, std::uint32_t* bytesSinceActive);
  // True (and the worker must give up) when the header block has grown past its cap.
  bool HeaderTooLong(const class HttpHeaderScanner& scanner) const;

  const HttpClientOptions options_;
  const std::string userAgent_ = httplimits::kUserAgent;
  std::string url_;

  // Makes start, stop and reset mutually exclusive.
  std::mutex controlLock_;
  // Guards chunkStorage_, readyQueue_, freePool_ and the counters of every chunk.
  mutable std::mutex queueLock_;

  std::thread worker_;
  TcpSocket socket_;  // used by start, then by the worker only
  std::atomic<bool> connectionOpen_{false};
  std::atomic<std::uint64_t> stopGeneration_{0};  // counts stop calls, to end a pending connect
  std::atomic<std::int32_t> isAborted_{0};
  std::atomic<std::int32_t> isFinished_{0};
  std::atomic<std::int32_t> poolChunkCount_{httplimits::kInitialPoolChunkCount};
  std::atomic<std::uint32_t> bytesReceived_{0};
  std::atomic<std::int32_t> contentLength_{0};
  std::atomic<std::uint32_t> rawBytesRead_{0};       // by readStream, headers included
  std::atomic<std::uint32_t> firstHeaderLength_{0};  // of the reply started without a range
  std::atomic<bool> rangeRefused_{false};
  std::atomic<bool> acceptsRanges_{false};
  std::string rangeHeader_;  // the header block of the reply; the worker's only
  std::uint32_t activeRange_ = 0;  // rangeStart as of the last start; read by its worker
  bool activeOrWhole_ = false;     // rangeOrWhole as of the last start; read by its worker
  std::uint32_t skipBytes_ = 0;    // body bytes still to pass over; the worker's only

  platform::ManualResetEvent workerStarted_{false};
  platform::ManualResetEvent workerEnded_{true};
  platform::ManualResetEvent dataAvailable_{true};  // set while readyQueue_ is not empty
  platform::ManualResetEvent chunkFree_{true};      // set while freePool_ is not empty
  // Notified under queueLock_ when chunks are queued and when the connection closes.
  mutable std::condition_variable queueChanged_;

  std::string body_;  // WholeBody: written by the worker only while it runs
  std::unique_ptr<DataChunk[]> chunkStorage_;
  ChunkQueue readyQueue_;
  ChunkQueue freePool_;
};

}  // namespace catalogue
