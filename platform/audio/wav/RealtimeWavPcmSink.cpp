#include "platform/audio/wav/RealtimeWavPcmSink.h"

#include <algorithm>

namespace platform {
namespace {

template <typename Duration>
double Seconds(Duration duration) {
  return std::chrono::duration<double>(duration).count();
}

}  // namespace

PcmOpenResult RealtimeWavPcmSink::Open(const PcmFormat& format, DoneHandler done) {
  Close();
  if (format.BlockAlign() == 0 || format.sampleRate == 0) return PcmOpenResult::kError;
  const Clock::time_point now = Clock::now();
  const std::string before = recorder_.CurrentPath();
  const bool goOn = recorded_;
  if (!recorder_.Begin(format, goOn)) return PcmOpenResult::kError;
  // A listener heard silence while the device was closed; a new file starts with the sound.
  if (goOn && recorder_.CurrentPath() == before && now > closedAt_) {
    recorder_.WriteSilence(uint64_t(Seconds(now - closedAt_) * format.sampleRate));
  }
  recorded_ = true;
  format_ = format;
  done_ = std::move(done);
  position_.store(0, std::memory_order_release);
  start_ = now;
  framesPlayed_ = 0;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    open_ = true;
    paused_ = false;
    quit_ = false;
    flushRequested_ = false;
    PcmBufferQueue::Tags unused;
    queue_.Clear(unused);
    headOffset_ = 0;
  }
  clock_ = std::thread([this] { ClockLoop(); });
  return PcmOpenResult::kOk;
}

void RealtimeWavPcmSink::Close() {
  if (!clock_.joinable()) return;
  Reset();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    quit_ = true;
    open_ = false;
  }
  wake_.notify_all();
  clock_.join();
  closedAt_ = start_ + std::chrono::duration_cast<Clock::duration>(
                          std::chrono::duration<double>(double(framesPlayed_) / format_.sampleRate));
  recorder_.Pause();
}

bool RealtimeWavPcmSink::Write(const uint8_t* data, uint32_t bytes, void* tag) {
  std::lock_guard<std::mutex> guard(mutex_);
  return open_ && queue_.Push(Entry{data, bytes, tag});
}

void RealtimeWavPcmSink::Pause() {
  std::lock_guard<std::mutex> guard(mutex_);
  paused_ = true;
}

void RealtimeWavPcmSink::Restart() {
  std::lock_guard<std::mutex> guard(mutex_);
  paused_ = false;
}

void RealtimeWavPcmSink::Reset() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!open_) return;
  flushRequested_ = true;
  wake_.notify_all();
  flushDone_.wait(lock, [this] { return !flushRequested_; });
}

void RealtimeWavPcmSink::FlushLocked(std::unique_lock<std::mutex>& lock) {
  PcmBufferQueue::Tags tags;
  const size_t flushed = queue_.Clear(tags);
  headOffset_ = 0;
  position_.store(0, std::memory_order_release);
  lock.unlock();
  for (size_t i = 0; i < flushed; ++i) done_(tags[i]);
  lock.lock();
  flushRequested_ = false;
  flushDone_.notify_all();
}

void RealtimeWavPcmSink::ClockLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (flushRequested_) {
      FlushLocked(lock);
      continue;
    }
    const Clock::time_point now = Clock::now();
    PlayUntil(now, lock);
    if (quit_) break;
    wake_.wait_until(lock, now + kPeriod, [this] { return quit_ || flushRequested_; });
  }
}

void RealtimeWavPcmSink::PlayUntil(Clock::time_point now, std::unique_lock<std::mutex>& lock) {
  // A late step plays everything that fell due meanwhile, as a sound card's buffer would.
  const uint64_t due = uint64_t(Seconds(now - start_) * format_.sampleRate);
  if (due <= framesPlayed_) return;
  uint64_t frames = due - framesPlayed_;
  framesPlayed_ = due;
  const uint32_t align = format_.BlockAlign();
  std::array<Piece, PcmBufferQueue::kCapacity + 1> pieces;
  PcmBufferQueue::Tags finished;
  size_t pieceCount = 0, finishedCount = 0;
  uint64_t soundFrames = 0;
  while (frames > 0 && !paused_ && !queue_.Empty()) {
    const Entry& entry = queue_.Front();
    const uint32_t take = uint32_t(std::min<uint64_t>((entry.bytes - headOffset_) / align, frames)) * align;
    pieces[pieceCount++] = Piece{entry.data + headOffset_, take, 0};
    headOffset_ += take;
    frames -= take / align;
    soundFrames += take / align;
    if (entry.bytes - headOffset_ < align) {
      finished[finishedCount++] = entry.tag;
      queue_.Pop();
      headOffset_ = 0;
    }
  }
  if (frames > 0) pieces[pieceCount++] = Piece{nullptr, 0, frames};
  lock.unlock();
  for (size_t i = 0; i < pieceCount; ++i) {
    if (pieces[i].data) {
      recorder_.Write(pieces[i].data, pieces[i].bytes);
    } else {
      recorder_.WriteSilence(pieces[i].frames);
    }
  }
  position_.fetch_add(soundFrames, std::memory_order_acq_rel);
  for (size_t i = 0; i < finishedCount; ++i) done_(finished[i]);
  lock.lock();
}

}  // namespace platform
