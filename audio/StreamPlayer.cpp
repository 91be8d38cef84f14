#include "audio/StreamPlayer.h"

#include <algorithm>
#include <system_error>

#include "platform/DebugLog.h"

namespace audio {

StreamPlayer::StreamPlayer(std::unique_ptr<platform::PcmSink> sink,
                           const catalogue::HttpClientOptions& httpOptions)
    : output_(std::move(sink)),
      stream_(std::make_unique<catalogue::HttpStream>(std::string_view{}, httpOptions)),
      prefetcher_(httpOptions) {}

StreamPlayer::~StreamPlayer() {
  std::lock_guard<std::mutex> control(controlLock_);
  stopLocked(1);
}

void StreamPlayer::setTrackInfo(const TrackInfo& info) {
  std::lock_guard<std::mutex> guard(playerLock_);
  trackInfo_ = info;
  for (std::u16string* text : {&trackInfo_.title, &trackInfo_.creator, &trackInfo_.album}) {
    if (text->size() > TrackInfo::kMaxLength) text->resize(TrackInfo::kMaxLength);
  }
}

TrackInfo StreamPlayer::trackInfo() const {
  std::lock_guard<std::mutex> guard(playerLock_);
  return trackInfo_;
}

bool StreamPlayer::setUrl(const std::u16string& url) {
  resetAll();
  std::lock_guard<std::mutex> control(controlLock_);
  const bool taken = stream().setUrl(url) != 0;
  if (!taken) {
    platform::DebugOutput("stream URL refused; the track will fail");
    stream().clearUrl();
  }
  source_ = SourceUrlSet;
  status_ = StatusReady;
  return taken;
}

bool StreamPlayer::play() {
  std::lock_guard<std::mutex> control(controlLock_);
  if (source_ == SourceNone) return false;
  if (state_ == Paused) {
    togglePauseLocked();
    return true;
  }
  if (state_ != Stopped) return false;
  // A thread that ended by itself has set `Stopped` as its last state change.
  if (playbackThread_.joinable()) playbackThread_.join();
  // Set here, not only by the thread, so that a second `play` cannot start a second thread.
  state_ = Connecting;
  startStopCount_ = stream().stopCount();
  try {
    playbackThread_ = std::thread([this] { runTrack(); });
  } catch (const std::system_error& error) {
    platform::DebugPrintf("playback thread not started: %s", error.what());
    state_ = Stopped;
    return false;
  }
  return true;
}

void StreamPlayer::togglePause() {
  std::lock_guard<std::mutex> control(controlLock_);
  togglePauseLocked();
}

void StreamPlayer::togglePauseLocked() {
  if (source_ != SourceStreaming) return;
  if (state_ == Playing) {
    state_ = Paused;
    output_.setPaused(true);
    rebuffering_ = false;
  } else if (state_ == Paused) {
    // With buffers missing the device restarts once enough audio is queued again.
    if (output_.inFlight() != output_.bufferCount()) {
      rebuffering_ = true;
    } else {
      output_.setPaused(false);
    }
    state_ = Playing;
  }
}

void StreamPlayer::stop(int32_t reason) {
  std::lock_guard<std::mutex> control(controlLock_);
  stopLocked(reason);
}

void StreamPlayer::stopLocked(int32_t reason) {
  if (playbackThread_.joinable()) {
    {
      std::lock_guard<std::mutex> guard(playerLock_);
      abortRequested_ = true;
      stopReason_ = reason;
    }
    // Unblocks the thread wherever it waits: reads fail, buffer waits return none.
    {
      std::lock_guard<std::mutex> streams(streamLock_);
      stream_->reset();
    }
    prefetcher_.cancel();
    output_.close();
    playbackThread_.join();
  }
  prefetcher_.cancel();
  joinedToken_ = nullptr;
  seekRequested_ = false;
  rebuffering_ = false;
  abortRequested_ = false;
  stopReason_ = reason;
}

void StreamPlayer::resetAll() {
  std::lock_guard<std::mutex> control(controlLock_);
  stopLocked(0);
  {
    std::lock_guard<std::mutex> guard(playerLock_);
    headerFound_ = false;
    header_ = Mp3FrameHeader{};
  }
  lengthSamples_ = 0;
  sampleRate_ = 0;
  rangesAccepted_ = false;
  source_ = SourceNone;
  status_ = StatusIdle;
  stream().reset();
  output_.reset();
}

uint32_t StreamPlayer::position() {
  if (source_ == SourceNone || state_ == Stopped) return 0;
  if (seekRequested_) return uint32_t(seekTarget_);
  const uint32_t device = output_.position();
  const uint32_t base = trackBase_;
  uint64_t played = (device > base ? device - base : 0) + seekBase_;
  // Between a join's point and its messages the ended track does not count on past its end.
  const uint64_t length = lengthSamples_;
  if (length > 0) played = std::min(played, length);
  return uint32_t(played);
}

void StreamPlayer::bufferFill(uint32_t& capacity, uint32_t& queued, uint32_t& bytesReceived) {
  output_.bufferFill(capacity, queued);
  std::lock_guard<std::mutex> streams(streamLock_);
  bytesReceived = stream_->bytesReceived();
}

int32_t StreamPlayer::contentLength() {
  std::lock_guard<std::mutex> streams(streamLock_);
  return stream_->contentLength();
}

Mp3FrameHeader StreamPlayer::header() const {
  std::lock_guard<std::mutex> guard(playerLock_);
  return header_;
}

bool StreamPlayer::headerFound() const {
  std::lock_guard<std::mutex> guard(playerLock_);
  return headerFound_;
}

std::uint64_t StreamPlayer::lengthSamples() const { return lengthSamples_; }

std::uint32_t StreamPlayer::sampleRate() const { return sampleRate_; }

bool StreamPlayer::canSeek() const { return lengthSamples_ > 0 && rangesAccepted_; }

bool StreamPlayer::seekTo(std::uint64_t sampleFrame) {
  std::lock_guard<std::mutex> control(controlLock_);
  if ((state_ != Playing && state_ != Paused) || !canSeek() || joining_) return false;
  seekTarget_ = sampleFrame;
  ++seekCount_;
  seekRequested_ = true;
  // Wakes the playback thread if it waits for a free buffer (a paused device frees none).
  output_.interruptWait();
  return true;
}

void StreamPlayer::setNextTrack(const NextTrack& next) {
  std::lock_guard<std::mutex> guard(nextLock_);
  if (prefetchVersion_ != 0 && next_.token != next.token) {
    prefetcher_.cancel();
    prefetchVersion_ = 0;
  }
  const bool same = prefetchVersion_ != 0;
  next_ = next;
  ++nextVersion_;
  // The same entry's fetch under way stays.
  if (same) prefetchVersion_ = nextVersion_;
}

void StreamPlayer::clearNextTrack() {
  std::lock_guard<std::mutex> guard(nextLock_);
  prefetcher_.cancel();
  prefetchVersion_ = 0;
  next_ = NextTrack{};
  ++nextVersion_;
}

bool StreamPlayer::adoptNextTrack(const void* token) {
  if (token == nullptr) return false;
  const void* expected = token;
  return joinedToken_.compare_exchange_strong(expected, nullptr);
}

void StreamPlayer::post(uint32_t message) {
  if (notifyWindow_) notifyWindow_->postPlayerMessage(message);
}

}  // namespace audio
