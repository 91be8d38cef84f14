#include "catalogue/HttpClient.h"

#include <errno.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "catalogue/HttpHeaderScanner.h"
#include "catalogue/HttpUrl.h"
#include "platform/DebugLog.h"
#include "platform/TextCodec.h"

namespace catalogue {

HttpClient::HttpClient(const HttpClientOptions& options) : options_(options) {}

HttpClient::~HttpClient() {
  reset();
  ReleaseChunkPool();
}

int HttpClient::setUrl(std::string_view url) {
  if (!IsAcceptableUrl(url)) return 0;
  url_.assign(url);
  return 1;
}

int HttpClient::setUrl(std::u16string_view url) { return setUrl(platform::Utf16ToUtf8(url)); }

bool HttpClient::BuildChunkPool() {
  std::lock_guard<std::mutex> guard(queueLock_);
  std::int32_t count = std::clamp(options_.poolChunkCount, 1, httplimits::kMaxPoolChunkCount);
  try {
    // Left uninitialised: a chunk's bytes are written before they are read, and a page of the
    // pool is only touched (and faulted in) when the download reaches it.
    chunkStorage_.reset(new DataChunk[static_cast<std::size_t>(count)]);
    readyQueue_.Reserve(static_cast<std::size_t>(count));
    freePool_.Reserve(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    chunkStorage_.reset();
    readyQueue_.Release();
    freePool_.Release();
    return false;
  }
  for (std::int32_t i = 0; i < count; ++i) freePool_.PushBack(&chunkStorage_[i]);
  poolChunkCount_.store(count, std::memory_order_relaxed);
  chunkFree_.Set();
  dataAvailable_.Reset();
  return true;
}

void HttpClient::ReleaseChunkPool() {
  {
    std::lock_guard<std::mutex> guard(queueLock_);
    readyQueue_.Release();
    freePool_.Release();
    chunkStorage_.reset();
  }
  chunkFree_.Set();
  dataAvailable_.Set();
}

bool HttpClient::ShouldGiveUp(std::uint64_t stopGeneration) const {
  return isAborted() || stopGeneration_.load(std::memory_order_acquire) != stopGeneration;
}

bool HttpClient::Connect(std::uint64_t stopGeneration) {
  if (ShouldGiveUp(stopGeneration)) return false;
  HttpUrl target;
  if (url_.empty() || !HttpUrl::Parse(url_, &target)) return false;
  if (!socket_.BeginConnect(target.host, target.port)) return false;

  std::int64_t waited = 0;
  for (;;) {
    TcpSocket::WaitResult result = socket_.WaitConnected(options_.waitStepMicros);
    if (result == TcpSocket::WaitResult::kReady) break;
    if (result == TcpSocket::WaitResult::kError) {
      socket_.Close();
      return false;
    }
    waited += options_.waitStepMicros;
    if (waited > options_.connectTimeoutMicros) {
      platform::DebugOutput("*****TIMEOUT****\n");
      socket_.Close();
      return false;
    }
    if (ShouldGiveUp(stopGeneration)) {
      socket_.Close();
      return false;
    }
  }

  std::string request = "GET " + target.path + " HTTP/1.0\r\nHost: " + target.host +
                        "\r\nAccept: */*\r\nUser-Agent: " + userAgent_ + "\r\n";
  if (activeRange_ != 0) {
    request += "Range: bytes=" + std::to_string(activeRange_) + "-\r\n";
  }
  request += "\r\n";
  // Normally one send takes it all; a partial send is completed within the connect limit.
  std::size_t sent = 0;
  waited = 0;
  while (sent < request.size()) {
    ssize_t n = socket_.Send(request.data() + sent, request.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    if (socket_.WaitWritable(options_.waitStepMicros) == TcpSocket::WaitResult::kError) break;
    waited += options_.waitStepMicros;
    if (waited > options_.connectTimeoutMicros || ShouldGiveUp(stopGeneration)) break;
  }
  if (sent < request.size()) {
    socket_.Close();
    return false;
  }
  return true;
}

int HttpClient::start() {
  // A stop from another thread after this point ends the connect below.
  return startAsOf(stopGeneration_.load(std::memory_order_acquire)) ? 1 : 0;
}

bool HttpClient::startAsOf(std::uint64_t generation) {
  std::lock_guard<std::mutex> control(controlLock_);
  StopLocked();
  if (receiveMode == Stream && !BuildChunkPool()) return false;

  isAborted_.store(0, std::memory_order_release);
  isFinished_.store(0, std::memory_order_release);
  rangeRefused_.store(false, std::memory_order_release);
  activeRange_ = receiveMode == Stream ? rangeStart : 0;
  activeOrWhole_ = rangeOrWhole;
  if (activeRange_ == 0) {
    rawBytesRead_.store(0, std::memory_order_relaxed);
    firstHeaderLength_.store(0, std::memory_order_relaxed);
    acceptsRanges_.store(false, std::memory_order_release);
  } else if (rangeRebase) {
    rawBytesRead_.store(firstHeaderLength_.load(std::memory_order_relaxed) + activeRange_, std::memory_order_relaxed);
  }
  workerStarted_.Reset();
  body_.clear();

  if (!Connect(generation)) {
    ReleaseChunkPool();
    return false;
  }
  connectionOpen_.store(true, std::memory_order_release);
  workerEnded_.Reset();
  try {
    if (receiveMode == WholeBody) {
      worker_ = std::thread(&HttpClient::RunWholeBody, this);
    } else {
      worker_ = std::thread(&HttpClient::RunStream, this);
    }
  } catch (const std::system_error&) {
    CloseConnection();
    ReleaseChunkPool();
    return false;
  }
  workerStarted_.Wait();
  return true;
}

void HttpClient::stop() {
  stopGeneration_.fetch_add(1, std::memory_order_acq_rel);
  std::lock_guard<std::mutex> control(controlLock_);
  StopLocked();
}

void HttpClient::StopLocked() {
  if (worker_.joinable()) {
    isAborted_.store(1, std::memory_order_release);
    chunkFree_.Set();
    dataAvailable_.Set();
    worker_.join();
  }
  ReleaseChunkPool();
  isAborted_.store(0, std::memory_order_release);
  isFinished_.store(0, std::memory_order_release);
}

void HttpClient::reset() {
  stopGeneration_.fetch_add(1, std::memory_order_acq_rel);
  std::lock_guard<std::mutex> control(controlLock_);
  StopLocked();
  bytesReceived_.store(0, std::memory_order_relaxed);
  contentLength_.store(0, std::memory_order_relaxed);
}

void HttpClient::CloseConnection() {
  socket_.Close();
  {
    // Under the queue lock, so that a waiter between its check and its wait sees the close.
    std::lock_guard<std::mutex> guard(queueLock_);
    connectionOpen_.store(false, std::memory_order_release);
  }
  queueChanged_.notify_all();
  workerEnded_.Set();
}

bool HttpClient::HeaderTooLong(const HttpHeaderScanner& scanner) const {
  if (scanner.HeadersComplete() || scanner.HeaderLength() <= httplimits::kMaxHeaderBlock) return false;
  platform::DebugPrintf("reply header block longer than %zu bytes refused", httplimits::kMaxHeaderBlock);
  return true;
}

HttpClient::WaitOutcome HttpClient::WaitForData(std::int64_t* idleMicros,
                                                std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (isAborted()) return WaitOutcome::kAborted;
    if (std::chrono::steady_clock::now() >= deadline) return WaitOutcome::kIdle;
    switch (socket_.WaitReadable(options_.waitStepMicros)) {
      case TcpSocket::WaitResult::kReady:
        return WaitOutcome::kData;
      case TcpSocket::WaitResult::kError:
        return WaitOutcome::kError;
      case TcpSocket::WaitResult::kTimeout:
        *idleMicros += options_.waitStepMicros;
        if (*idleMicros > options_.idleTimeoutMicros) return WaitOutcome::kIdle;
        break;
    }
  }
}

HttpClient::WholeBodyReply HttpClient::fetchWholeBody(std::string_view url,
                                                      std::optional<std::chrono::milliseconds> timeout) {
  const auto started = std::chrono::steady_clock::now();
  const auto remaining = [&] {
    return *timeout - std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  };
  WholeBodyReply reply;
  receiveMode = WholeBody;
  if (!setUrl(url)) return reply;
  if (!start()) {
    if (timeout && remaining().count() < 0) reply.status = FetchStatus::kTimedOut;
    return reply;
  }
  if (!timeout) {
    workerEnded_.Wait();
  } else if (!workerEnded_.WaitFor(std::max(remaining(), std::chrono::milliseconds(0)))) {
    stop();
    reply.status = FetchStatus::kTimedOut;
  }
  if (reply.status != FetchStatus::kTimedOut) {
    reply.status = isFinished() ? FetchStatus::kFinished : FetchStatus::kAborted;
  }
  // Moved, not copied: a reply near the body cap would otherwise be held twice.
  reply.body = std::move(body_);
  body_.clear();
  return reply;
}

void HttpClient::RunWholeBody() {
  bytesReceived_.store(0, std::memory_order_relaxed);
  workerStarted_.Set();
  HttpHeaderScanner scanner;
  std::uint8_t block[httplimits::kChunkDataSize];
  std::int64_t idle = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(options_.wholeBodyDeadlineMicros);
  for (;;) {
    if (std::chrono::steady_clock::now() >= deadline) {
      isAborted_.store(1, std::memory_order_release);
      break;
    }
    WaitOutcome outcome = WaitForData(&idle, deadline);
    if (outcome == WaitOutcome::kAborted) break;
    if (outcome != WaitOutcome::kData) {
      isAborted_.store(1, std::memory_order_release);
      break;
    }
    ssize_t n = socket_.Receive(block, sizeof block);
    if (n == 0) {
      isFinished_.store(1, std::memory_order_release);
      break;
    }
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) continue;
      isAborted_.store(1, std::memory_order_release);
      break;
    }
    idle = 0;
    std::size_t length = static_cast<std::size_t>(n);
    bytesReceived_.fetch_add(static_cast<std::uint32_t>(n), std::memory_order_relaxed);
    std::size_t headerBytes = scanner.HeadersComplete() ? 0 : scanner.Feed(block, length);
    if (scanner.ContentLengthFound()) {
      contentLength_.store(scanner.ContentLength(), std::memory_order_relaxed);
      // An announced length sizes the body once instead of by repeated doubling (a failed
      // reservation only costs the growth it would have saved).
      if (body_.empty() && scanner.ContentLength() > 0) {
        try {
          body_.reserve(std::min(options_.maxWholeBody, static_cast<std::size_t>(scanner.ContentLength())));
        } catch (const std::bad_alloc&) {
        }
      }
    }
    if (HeaderTooLong(scanner)) {
      isAborted_.store(1, std::memory_order_release);
      break;
    }
    std::size_t bodyBytes = length - headerBytes;
    std::size_t room = options_.maxWholeBody - std::min(options_.maxWholeBody, body_.size());
    bool capped = bodyBytes > room;
    try {
      body_.append(reinterpret_cast<const char*>(block) + headerBytes, std::min(bodyBytes, room));
    } catch (const std::bad_alloc&) {
      capped = true;
    }
    if (capped) {
      // The body so far stays readable; a reply beyond the cap is not a catalogue reply.
      isAborted_.store(1, std::memory_order_release);
      break;
    }
  }
  CloseConnection();
}

}  // namespace catalogue
