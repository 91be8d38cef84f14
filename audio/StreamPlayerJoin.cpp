// The playback thread of StreamPlayer, continued: the prefetch, the join and the seek.
#include <algorithm>
#include <cstring>

#include "audio/StreamPlayer.h"
#include "platform/DebugLog.h"

namespace audio {

void StreamPlayer::maybePrefetch() {
  if (joinPending_) return;
  std::lock_guard<std::mutex> guard(nextLock_);
  if (next_.token == nullptr || prefetchVersion_ != 0) return;
  bool due = stream().isFinished();
  const uint64_t length = lengthSamples_;
  const uint32_t rate = sampleRate_;
  if (!due && length > 0 && rate > 0) due = uint64_t(position()) + uint64_t(kPrefetchLeadSeconds) * rate >= length;
  if (due && prefetcher_.begin(next_)) prefetchVersion_ = nextVersion_;
}

bool StreamPlayer::joinNext() {
  {
    std::lock_guard<std::mutex> guard(nextLock_);
    if (next_.token == nullptr) return false;
    if (prefetchVersion_ == 0) {
      if (!prefetcher_.begin(next_)) return false;
      prefetchVersion_ = nextVersion_;
    }
  }
  // A join not reached yet (a track shorter than the queue) is played out first.
  if (joinPending_) drain();
  // A seek in the ended track is done first: the next one stays fetched for its end.
  if (abortRequested_ || seekRequested_ || !prefetcher_.waitReady(abortRequested_, seekRequested_, kPrefetchWaitStep) ||
      seekRequested_) {
    return false;
  }
  NextTrack track;
  std::unique_ptr<catalogue::HttpStream> next = prefetcher_.take(track);
  {
    std::lock_guard<std::mutex> guard(nextLock_);
    prefetchVersion_ = 0;
  }
  if (!next) return false;
  // What the ended track left in the buffer being filled plays on while the next one starts.
  if (currentBuffer_) {
    submit(bufferBytes_ - bufferRoom_);
    currentBuffer_ = nullptr;
  }
  ProbedStart start;
  if (!prebuffer(*next) || !probe(*next, start)) {
    next->reset();
    return false;
  }
  const Mp3FrameHeader& found = start.info.header;
  const platform::PcmFormat format = output_.format();
  const bool sameFormat = format.channels == found.channels && format.sampleRate == found.sampleRate;
  if (!sameFormat) {
    // Another format: the ended track plays out (no seek in it now) and the device opens anew.
    joining_ = true;
    drain();
    if (abortRequested_) return false;
    post(kMsgPlayerTeardownDone);
    joinedToken_ = track.token;
    post(kMsgTrackEnded);
    output_.close();
  }
  {
    // The stop count that a stop from now on moves past: the new stream's, read under the
    // lock that `stop` resets the stream under (a stop before it has set abortRequested_).
    std::lock_guard<std::mutex> streams(streamLock_);
    std::swap(stream_, next);
    startStopCount_ = stream_->stopCount();
  }
  next->stop();
  if (!sameFormat) {
    setTrackInfo(track.info);
    if (!openOutput(found)) {
      decoderLost_ = true;  // the next track fails: it ends with 12025
      return true;
    }
    beginTrack(start);
    forgetJoinedNext(track.token);
    trackBase_ = 0;
    seekBase_ = 0;
    joining_ = false;
    publishLength();
    post(kMsgPlaybackStarted);
    return true;
  }
  // The same format: the device plays on, and the next track's first sample follows the
  // ended one's last. The messages come when the device reaches that point.
  joinAt_ = output_.samplesWritten();
  joinToken_ = track.token;
  joinInfo_ = track.info;
  joinPending_ = true;
  joining_ = true;
  beginTrack(start);
  forgetJoinedNext(track.token);
  return true;
}

void StreamPlayer::forgetJoinedNext(const void* token) {
  // A next track is joined once; the playlist names the one after it.
  std::lock_guard<std::mutex> guard(nextLock_);
  if (next_.token == token && prefetchVersion_ == 0) next_ = NextTrack{};
}

void StreamPlayer::checkJoin() {
  if (!joinPending_ || output_.position() < joinAt_) return;
  joinPending_ = false;
  post(kMsgPlayerTeardownDone);
  joinedToken_ = joinToken_;
  post(kMsgTrackEnded);
  setTrackInfo(joinInfo_);
  trackBase_ = joinAt_;
  seekBase_ = 0;
  joining_ = false;
  publishLength();
  post(kMsgPlaybackStarted);
}

StreamPlayer::LoopEnd StreamPlayer::performSeek() {
  const uint64_t count = seekCount_;
  const uint64_t target = seekTarget_;
  // The buffer being filled holds PCM from before the target; the queued ones too.
  currentBuffer_ = nullptr;
  bufferRoom_ = 0;
  output_.reset();
  rebuffering_ = true;
  const uint64_t length = lengthSamples_;
  if (target >= length) return LoopEnd::kSeekPastEnd;
  catalogue::HttpStream& http = stream();
  const uint64_t byte = decoder_.info().byteForSample(target, length, http.contentLength());
  http.rangeStart = uint32_t(byte);
  http.rangeRebase = true;
  const bool started = http.startAsOf(startStopCount_);
  http.rangeRebase = false;
  if (!started || !prebuffer(http)) return abortRequested_ ? LoopEnd::kAborted : LoopEnd::kFailed;
  ProbedStart start;
  if (!probe(http, start)) return abortRequested_ ? LoopEnd::kAborted : LoopEnd::kFailed;
  kept_ = uint32_t(std::min<size_t>(start.window.size(), kBlockBytes));
  std::memcpy(input_.data(), start.window.data(), kept_);
  if (!decoder_.restart(decoder_.info().frameIndexAt(start.info.audioStart, target))) decoderLost_ = true;
  trackBase_ = 0;
  seekBase_ = target;
  seekRequested_ = false;
  // A seek asked for while this one ran is performed next: `seekTo` counts before it sets
  // the request, so a call that the check misses sets the request after it is cleared.
  if (seekCount_ != count) seekRequested_ = true;
  return LoopEnd::kEnded;
}

}  // namespace audio
