#include "platform/audio/ThreadedPcmSink.h"

#include <algorithm>

namespace platform {

ThreadedPcmSink::ThreadedPcmSink(double speed) : speed_(std::max(0.0, speed)) {}

ThreadedPcmSink::~ThreadedPcmSink() {
  // Subclasses close in their destructors; this only catches a driver still running.
  if (driver_.joinable()) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    driver_.join();
  }
}

PcmOpenResult ThreadedPcmSink::Open(const PcmFormat& format, DoneHandler done) {
  Close();
  if (format.BlockAlign() == 0 || format.sampleRate == 0) return PcmOpenResult::kError;
  PcmOpenResult result = OnOpen(format);
  if (result != PcmOpenResult::kOk) return result;
  format_ = format;
  done_ = std::move(done);
  position_.store(0, std::memory_order_release);
  {
    std::lock_guard<std::mutex> guard(mutex_);
    open_ = true;
    paused_ = false;
    quit_ = false;
    flushRequested_ = false;  // the queue is empty: Close reset it
    headTimed_ = false;
  }
  if (!Immediate()) driver_ = std::thread([this] { DriverLoop(); });
  return PcmOpenResult::kOk;
}

void ThreadedPcmSink::Close() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (!open_ && !driver_.joinable()) return;
  }
  Reset();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    quit_ = true;
    open_ = false;
  }
  if (driver_.joinable()) {
    wake_.notify_all();
    driver_.join();
  }
  OnClose();
}

bool ThreadedPcmSink::Write(const uint8_t* data, uint32_t bytes, void* tag) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!open_ || queue_.Full()) return false;
    if (Immediate() && !paused_ && queue_.Empty()) {
      // Nothing to wait for: played and handed back before returning, with no thread switch.
      lock.unlock();
      Play(Entry{data, bytes, tag});
      return true;
    }
    queue_.Push(Entry{data, bytes, tag});
    // Unpaced, no thread waits: the queue is played by Restart.
    if (Immediate()) return true;
  }
  wake_.notify_all();
  return true;
}

void ThreadedPcmSink::Play(const Entry& entry) {
  Consume(entry.data, entry.bytes);
  position_.fetch_add(entry.bytes / format_.BlockAlign(), std::memory_order_acq_rel);
  done_(entry.tag);
}

void ThreadedPcmSink::Pause() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    paused_ = true;
  }
  wake_.notify_all();
}

void ThreadedPcmSink::Restart() {
  std::unique_lock<std::mutex> lock(mutex_);
  paused_ = false;
  if (!Immediate()) {
    lock.unlock();
    wake_.notify_all();
    return;
  }
  // What was queued while paused plays now, in order.
  while (open_ && !paused_ && !queue_.Empty()) {
    const Entry entry = queue_.Front();
    queue_.Pop();
    lock.unlock();
    Play(entry);
    lock.lock();
  }
}

bool ThreadedPcmSink::IsPaused() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return paused_;
}

void ThreadedPcmSink::Reset() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!open_) return;
  flushRequested_ = true;
  if (Immediate()) {
    FlushLocked(lock);
    return;
  }
  wake_.notify_all();
  flushDone_.wait(lock, [this] { return !flushRequested_; });
}

ThreadedPcmSink::Clock::duration ThreadedPcmSink::PlayTime(uint32_t bytes) const {
  double seconds = double(bytes) / format_.BytesPerSecond() / speed_;
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void ThreadedPcmSink::FlushLocked(std::unique_lock<std::mutex>& lock) {
  PcmBufferQueue::Tags tags;
  const size_t flushed = queue_.Clear(tags);
  headTimed_ = false;
  position_.store(0, std::memory_order_release);
  lock.unlock();
  for (size_t i = 0; i < flushed; ++i) done_(tags[i]);
  lock.lock();
  flushRequested_ = false;
  flushDone_.notify_all();
}

void ThreadedPcmSink::DriverLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || flushRequested_ || (!queue_.Empty() && !paused_); });
    if (flushRequested_) {
      FlushLocked(lock);
      continue;
    }
    if (quit_) break;
    const Entry entry = queue_.Front();
    if (speed_ > 0) {
      if (!headTimed_) {
        headRemaining_ = PlayTime(entry.bytes);
        headTimed_ = true;
      }
      Clock::time_point deadline = Clock::now() + headRemaining_;
      bool interrupted = wake_.wait_until(
          lock, deadline, [this] { return quit_ || flushRequested_ || paused_; });
      if (interrupted) {
        // A pause keeps what is left of this buffer's time for the restart.
        headRemaining_ = std::max(Clock::duration::zero(), deadline - Clock::now());
        continue;
      }
      headTimed_ = false;
    }
    lock.unlock();
    Consume(entry.data, entry.bytes);
    lock.lock();
    queue_.Pop();
    position_.fetch_add(entry.bytes / format_.BlockAlign(), std::memory_order_acq_rel);
    lock.unlock();
    done_(entry.tag);
    lock.lock();
  }
}

}  // namespace platform
