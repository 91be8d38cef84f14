#include "audio/WaveOutput.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

#include "platform/DebugLog.h"

namespace audio {
namespace {

// Buffer sizes: the base for rates up to 11025 Hz and above it, doubled for each of a rate
// above 22050 Hz, more than one channel and more than 8 bits.
constexpr uint32_t kLowRateBufferSize = 1024;
constexpr uint32_t kBufferSize = 2048;
constexpr uint32_t kLowRateLimit = 11025;
constexpr uint32_t kMidRateLimit = 22050;
constexpr uint32_t kMinBufferCount = 2;

}  // namespace

WaveOutput::WaveOutput(std::unique_ptr<platform::PcmSink> sink) : sink_(std::move(sink)) {}

WaveOutput::~WaveOutput() { close(); }

bool WaveOutput::open(uint32_t channels, uint32_t sampleRate, uint32_t bitsPerSample) {
  std::lock_guard<std::mutex> device(deviceLock_);
  if (sink_->DeviceCount() == 0) {
    closeLocked();
    return false;
  }
  const platform::PcmFormat wanted{channels, sampleRate, bitsPerSample};
  if (open_ && format_ == wanted) return true;
  closeLocked();
  if (wanted.BlockAlign() == 0 || sampleRate == 0) return false;

  uint32_t size = sampleRate > kLowRateLimit ? kBufferSize : kLowRateBufferSize;
  if (sampleRate > kMidRateLimit) size *= 2;
  if (channels > 1) size *= 2;
  if (bitsPerSample > 8) size *= 2;
  uint32_t count = wanted.BytesPerSecond() * totalBufferMs / size / 1000 + 1;
  count = std::max(count, kMinBufferCount);
  {
    std::lock_guard<std::mutex> buffers(bufferLock_);
    bufferSize_ = size;
    bufferCount_ = count;
  }

  platform::PcmOpenResult result = platform::PcmOpenResult::kError;
  for (uint32_t attempt = 1; attempt <= kOpenAttempts; ++attempt) {
    result = sink_->Open(wanted, [this](void*) { onBufferDone(); });
    if (result != platform::PcmOpenResult::kBusy) break;
    if (attempt < kOpenAttempts) std::this_thread::sleep_for(busyRetryDelay_);
  }
  if (result != platform::PcmOpenResult::kOk) {
    platform::DebugPrintf("WaveOutput: cannot open %u Hz x %u channels (%s)", sampleRate,
                          channels, result == platform::PcmOpenResult::kBusy ? "busy" : "error");
    return false;
  }
  {
    std::lock_guard<std::mutex> buffers(bufferLock_);
    open_ = true;
    format_ = wanted;
  }
  if (!prepareRing()) {
    closeLocked();
    return false;
  }
  return true;
}

bool WaveOutput::prepareRing() {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  const size_t total = size_t(bufferSize_) * bufferCount_;
  if (total != dataBlockBytes_) {
    dataBlock_.reset(new (std::nothrow) uint8_t[total]);
    dataBlockBytes_ = dataBlock_ ? total : 0;
    if (!dataBlock_) return false;
  }
  std::memset(dataBlock_.get(), 0, total);
  headers_.assign(bufferCount_, WaveHeader{});
  for (uint32_t i = 0; i < bufferCount_; ++i) {
    headers_[i].data = dataBlock_.get() + size_t(i) * bufferSize_;
    headers_[i].bufferLength = bufferSize_;
    headers_[i].owner = this;
  }
  nextIndex_ = 0;
  inFlight_ = 0;
  samplesWritten_ = 0;
  freeBufferEvent_.Set();
  return true;
}

void WaveOutput::close() {
  std::lock_guard<std::mutex> device(deviceLock_);
  closeLocked();
}

void WaveOutput::closeLocked() {
  bool wasOpen = false;
  {
    // Closed first, so that a thread woken by the flush below finds no buffer to take.
    std::lock_guard<std::mutex> buffers(bufferLock_);
    wasOpen = open_;
    open_ = false;
  }
  if (wasOpen) {
    flushLocked();
    sink_->Close();
  }
  std::lock_guard<std::mutex> buffers(bufferLock_);
  format_ = platform::PcmFormat{};
  // Wakes a thread waiting for a buffer; it sees the output closed.
  freeBufferEvent_.Set();
  ++buffersDone_;
  bufferDone_.notify_all();
}

void WaveOutput::reset() {
  std::lock_guard<std::mutex> device(deviceLock_);
  resetLocked();
}

void WaveOutput::resetLocked() {
  if (open_) flushLocked();
}

void WaveOutput::flushLocked() {
  sink_->Pause();
  sink_->Reset();  // returns every queued buffer through `onBufferDone`
  {
    std::lock_guard<std::mutex> buffers(bufferLock_);
    freeBufferEvent_.Set();
    inFlight_ = 0;
    samplesWritten_ = 0;
    nextIndex_ = 0;
    ++buffersDone_;
    bufferDone_.notify_all();
  }
  sink_->Pause();
}

void WaveOutput::setPaused(bool paused) {
  std::lock_guard<std::mutex> device(deviceLock_);
  if (!open_) return;
  if (paused) {
    sink_->Pause();
  } else {
    sink_->Restart();
  }
}

WaveHeader* WaveOutput::waitFreeBuffer() {
  for (;;) {
    freeBufferEvent_.Wait();
    std::lock_guard<std::mutex> buffers(bufferLock_);
    if (!open_) return nullptr;
    if (interrupted_) {
      interrupted_ = false;
      if (inFlight_ >= bufferCount_) freeBufferEvent_.Reset();
      return nullptr;
    }
    if (inFlight_ < bufferCount_) return &headers_[nextIndex_];
    // Taken by a write between the signal and the lock: wait again.
  }
}

void WaveOutput::interruptWait() {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  interrupted_ = true;
  freeBufferEvent_.Set();
}

void WaveOutput::write(WaveHeader* header) {
  const uint32_t bytes = header->bytesRecorded;
  if (bytes == 0) {
    std::lock_guard<std::mutex> buffers(bufferLock_);
    freeBufferEvent_.Set();
    return;
  }
  std::lock_guard<std::mutex> device(deviceLock_);
  if (!open_) return;
  // Counted before the sink sees it: its completion notice may come at once.
  {
    std::lock_guard<std::mutex> buffers(bufferLock_);
    ++inFlight_;
    if (inFlight_ >= bufferCount_) freeBufferEvent_.Reset();
    nextIndex_ = (nextIndex_ + 1) % bufferCount_;
    samplesWritten_ += bytes / format_.BlockAlign();
  }
  if (!sink_->Write(header->data, bytes, header)) {
    platform::DebugOutput("WaveOutput: the device refused a buffer");
    std::lock_guard<std::mutex> buffers(bufferLock_);
    onBufferDoneLocked();
  }
}

void WaveOutput::onBufferDone() {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  onBufferDoneLocked();
}

void WaveOutput::onBufferDoneLocked() {
  freeBufferEvent_.Set();
  if (inFlight_ > 0) --inFlight_;
  ++buffersDone_;
  bufferDone_.notify_all();
}

bool WaveOutput::waitBufferDone(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> buffers(bufferLock_);
  const uint64_t seen = buffersDone_;
  return bufferDone_.wait_for(buffers, timeout, [&] { return buffersDone_ != seen; });
}

uint32_t WaveOutput::position() {
  std::lock_guard<std::mutex> device(deviceLock_);
  if (!open_) return 0;
  return uint32_t(sink_->Position());
}

bool WaveOutput::isDrained() {
  uint32_t played = position();
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return played >= samplesWritten_;
}

int32_t WaveOutput::samplesAhead() {
  uint32_t played = position();
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return int32_t(samplesWritten_ - played);
}

uint32_t WaveOutput::samplesWritten() const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return samplesWritten_;
}

void WaveOutput::bufferFill(uint32_t& capacity, uint32_t& queued) const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  if (!open_) {
    capacity = queued = 0;
    return;
  }
  capacity = bufferSize_ * bufferCount_;
  queued = bufferSize_ * inFlight_;
}

bool WaveOutput::isOpen() const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return open_;
}

uint32_t WaveOutput::bufferSize() const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return bufferSize_;
}

uint32_t WaveOutput::bufferCount() const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return bufferCount_;
}

uint32_t WaveOutput::inFlight() const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return inFlight_;
}

platform::PcmFormat WaveOutput::format() const {
  std::lock_guard<std::mutex> buffers(bufferLock_);
  return format_;
}

}  // namespace audio
