#include "audio/Prefetcher.h"

#include <system_error>

#include "platform/DebugLog.h"

namespace audio {

bool Prefetcher::begin(const NextTrack& next) {
  cancel();
  std::lock_guard<std::mutex> control(controlLock_);
  track_ = next;
  stream_ = std::make_unique<catalogue::HttpStream>(std::string_view{}, options_);
  phase_ = kFetching;
  token_ = next.token;
  const std::uint64_t stopCount = stream_->stopCount();
  try {
    thread_ = std::thread([this, stopCount] { run(stopCount); });
  } catch (const std::system_error& error) {
    platform::DebugPrintf("prefetch thread not started: %s", error.what());
    phase_ = kFailed;
    return false;
  }
  return true;
}

void Prefetcher::run(std::uint64_t stopCount) {
  const std::u16string url = track_.resolveUrl ? track_.resolveUrl(resolver_) : std::u16string();
  // A cancel made since `begin` also ends this start (the stream's stop count moved on).
  if (url.empty() || phase_ != kFetching || stream_->setUrl(url) == 0 || !stream_->startAsOf(stopCount)) {
    phase_ = kFailed;
    return;
  }
  phase_ = kReady;
}

void Prefetcher::cancel() {
  std::lock_guard<std::mutex> control(controlLock_);
  if (thread_.joinable()) {
    phase_ = kFailed;
    resolver_.stop();
    stream_->reset();
    thread_.join();
  }
  stream_.reset();
  token_ = nullptr;
  phase_ = kIdle;
}

bool Prefetcher::waitReady(const std::atomic<bool>& abort, std::chrono::milliseconds step) {
  while (!abort) {
    const int phase = phase_;
    if (phase == kReady) return true;
    if (phase != kFetching) return false;
    std::this_thread::sleep_for(step);
  }
  return false;
}

std::unique_ptr<catalogue::HttpStream> Prefetcher::take(NextTrack& track) {
  std::lock_guard<std::mutex> control(controlLock_);
  if (thread_.joinable()) thread_.join();
  std::unique_ptr<catalogue::HttpStream> taken;
  if (phase_ == kReady) {
    taken = std::move(stream_);
    track = std::move(track_);
  }
  stream_.reset();
  token_ = nullptr;
  phase_ = kIdle;
  return taken;
}

}  // namespace audio
