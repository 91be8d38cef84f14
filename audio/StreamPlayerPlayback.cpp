// The playback thread of StreamPlayer: connect, probe, decode, join and seek.
#include <algorithm>
#include <cstring>

#include "audio/FrameSyncProbe.h"
#include "audio/StreamPlayer.h"
#include "audio/ThreadPriority.h"
#include "platform/DebugLog.h"

namespace audio {

void StreamPlayer::runTrack() {
  state_ = Connecting;
  {
    // A `stop` that came before this thread ran keeps its reason.
    std::lock_guard<std::mutex> guard(playerLock_);
    if (!abortRequested_) stopReason_ = 0;
  }
  source_ = SourceStreaming;
  setCurrentThreadPriority(ThreadPriority::kBelowNormal);
  stream().rangeStart = 0;
  stream().startAsOf(startStopCount_);
  status_ = StatusConnecting;
  ProbedStart start;
  if (!prebuffer(stream()) || !probe(stream(), start) || !openOutput(start.info.header)) {
    // A track that could not start ends with 12025; one stopped while starting reports the
    // stop, so that a stop for good never lets the playlist move on.
    const bool aborted = abortRequested_;
    teardown(false);
    post(!aborted ? kMsgTrackEnded
                  : stopReason_ != 0 ? kMsgStoppedNoAdvance : kMsgStoppedAdvance);
    return;
  }
  beginTrack(start);
  trackBase_ = 0;
  seekBase_ = 0;
  publishLength();
  status_ = StatusOutputOpen;
  post(kMsgPlaybackStarted);
  state_ = Playing;
  for (;;) {
    LoopEnd end = decodeLoop();
    if (end == LoopEnd::kEnded) {
      if (joinNext()) continue;
      if (abortRequested_) end = LoopEnd::kAborted;
    }
    if (end == LoopEnd::kAborted) {
      teardown(false);
      post(stopReason_ != 0 ? kMsgStoppedNoAdvance : kMsgStoppedAdvance);
      return;
    }
    teardown(end == LoopEnd::kEnded);
    post(kMsgTrackEnded);
    return;
  }
}

bool StreamPlayer::prebuffer(catalogue::HttpStream& http) {
  for (;;) {
    if (abortRequested_) return false;
    if (!http.isConnectionOpen()) return http.isFinished();
    if (http.queuedChunkCount() >= http.prebufferChunkCount()) return true;
    http.waitForQueuedChunks(http.prebufferChunkCount(), kAbortCheck);
  }
}

bool StreamPlayer::probe(catalogue::HttpStream& http, ProbedStart& start) {
  FrameSyncProbe::Found found;
  if (!FrameSyncProbe::run(http, found)) return false;
  const uint8_t* frame = found.block.data() + found.at;
  start.info = Mp3StreamInfo::parse(frame, found.length - found.at, found.header);
  start.info.audioStart = found.bodyOffset;
  // The Xing/Info/VBRI frame carries no audio: decoding starts after it.
  const uint32_t from = found.at + (start.info.infoFrame ? found.header.frameLength : 0);
  start.window.assign(found.block.begin() + from, found.block.begin() + found.length);
  return true;
}

void StreamPlayer::beginTrack(const ProbedStart& start) {
  {
    std::lock_guard<std::mutex> guard(playerLock_);
    header_ = start.info.header;
    headerFound_ = true;
  }
  sampleRate_ = start.info.header.sampleRate;
  input_.assign(kBlockBytes + kEndGuardBytes, 0);
  kept_ = uint32_t(std::min<size_t>(start.window.size(), kBlockBytes));
  std::memcpy(input_.data(), start.window.data(), kept_);
  if (!decoder_.start(start.info)) decoderLost_ = true;
  rangesAccepted_ = stream().acceptsRanges();
}

void StreamPlayer::publishLength() {
  // Until a join's point the ended track's length stays.
  if (joinPending_) return;
  lengthSamples_ = decoder_.lengthSamples(stream().contentLength());
}

bool StreamPlayer::openOutput(const Mp3FrameHeader& found) {
  std::lock_guard<std::mutex> guard(playerLock_);
  // Checked under the lock that `stop` sets it under: either this open happens before `stop`
  // closes the output, or the abort is seen here.
  if (abortRequested_) return false;
  if (!output_.open(found.channels, found.sampleRate, 16)) return false;
  bufferBytes_ = output_.bufferSize();
  output_.setPaused(true);
  rebuffering_ = true;
  return true;
}

StreamPlayer::LoopEnd StreamPlayer::decodeLoop() {
  decoderLost_ = false;
  uint32_t windowsSincePublish = 0;
  for (;;) {
    if (abortRequested_) return LoopEnd::kAborted;
    if (seekRequested_) {
      const LoopEnd seek = performSeek();
      if (seek != LoopEnd::kEnded) return seek;
      continue;
    }
    if (decoderLost_) {
      // A fatal decoder error and no fresh decoder: the track ends as failed.
      platform::DebugOutput("no MP3 decoder after a fatal error; track failed");
      return LoopEnd::kFailed;
    }
    // Every sample of a track of known length is out: the rest is padding or tags.
    if (decoder_.complete()) return LoopEnd::kEnded;
    checkJoin();
    maybePrefetch();
    catalogue::HttpStream& http = stream();
    if (http.queuedChunkCount() < kLowChunkCount) {
      for (;;) {
        if (output_.inFlight() == 0) {
          // The device ran dry: hold it until enough audio is queued again.
          output_.setPaused(true);
          rebuffering_ = true;
          break;
        }
        // Also when the download is complete: nothing more will come to wait for, and
        // holding the device would only put a gap before the track's last bytes.
        if (http.queuedChunkCount() >= kLowChunkCount || !http.isConnectionOpen()) break;
        if (abortRequested_) return LoopEnd::kAborted;
        if (seekRequested_) break;
        checkJoin();
        http.waitForQueuedChunks(kLowChunkCount, kDryDeviceCheck);
      }
      if (seekRequested_) continue;
    }
    if (kept_ >= kBlockBytes) {
      // A whole block is kept (a decode cut short by a seek's wake-up, or a probed block that
      // starts with its frame): decoded before anything more is read.
      const uint32_t done = decodeWindow(input_.data(), kept_);
      kept_ -= done;
      std::memmove(input_.data(), input_.data() + done, kept_);
      continue;
    }
    uint32_t got = 0;
    bool more = http.readStream(input_.data() + kept_, kBlockBytes - kept_, &got) != 0;
    // A read failed by `stop` is an abort, not the end of the stream; one failed by a seek
    // is dropped.
    if (!more && abortRequested_) return LoopEnd::kAborted;
    if (seekRequested_) continue;
    if ((!more || got == 0) && resumeDroppedStream()) {
      // Reconnected for the rest: what this read brought is decoded as any other window.
      more = true;
    }
    if (!more || got == 0) {
      // The end of the stream: what the last read brought and the frames still kept are
      // decoded too, the last one with the guard bytes libmad needs after it.
      std::memset(input_.data() + kept_ + got, 0, kEndGuardBytes);
      decodeWindow(input_.data(), kept_ + got + kEndGuardBytes);
      kept_ = 0;
      if (abortRequested_) return LoopEnd::kAborted;
      if (seekRequested_) continue;
      publishLength();
      return decoderLost_ ? LoopEnd::kFailed : LoopEnd::kEnded;
    }
    const uint32_t length = kept_ + got;
    const uint32_t done = decodeWindow(input_.data(), length);
    kept_ = length - done;
    std::memmove(input_.data(), input_.data() + done, kept_);
    // The length estimate of a VBR track without a header is refined as it plays.
    if (++windowsSincePublish >= 16) {
      windowsSincePublish = 0;
      publishLength();
    }
  }
}

bool StreamPlayer::pauseUnlessStopped(std::chrono::milliseconds duration) {
  // A stop closes the output, which wakes this wait at once.
  const auto until = std::chrono::steady_clock::now() + duration;
  while (!abortRequested_) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return true;
    output_.waitBufferDone(std::min(kAbortCheck, std::chrono::duration_cast<std::chrono::milliseconds>(until - now)));
  }
  return false;
}

bool StreamPlayer::resumeDroppedStream() {
  catalogue::HttpStream& http = stream();
  const int32_t length = http.contentLength();
  for (int attempt = 0; attempt < kResumeAttempts; ++attempt) {
    if (abortRequested_ || length <= 0) return false;
    const uint32_t offset = http.bodyBytesRead();
    if (offset >= uint32_t(length)) return false;
    platform::DebugPrintf("stream dropped at %u of %d bytes; resuming", offset, length);
    if (!pauseUnlessStopped(kResumePauses[attempt])) return false;
    http.rangeStart = offset;
    http.rangeRebase = false;
    if (!http.startAsOf(startStopCount_)) continue;
    // Until the new reply delivers its first chunk, or ends without one.
    while (!abortRequested_ && http.queuedChunkCount() == 0 && http.isConnectionOpen()) {
      http.waitForQueuedChunks(1, kAbortCheck);
    }
    if (http.queuedChunkCount() > 0) return true;
    if (http.rangeRefused()) {
      platform::DebugOutput("the server did not resume the stream");
      return false;
    }
  }
  return false;
}

uint32_t StreamPlayer::decodeWindow(const uint8_t* window, uint32_t length) {
  uint32_t p = 0;
  bool pending = false;
  for (;;) {
    if (abortRequested_ || decoderLost_ || seekRequested_ || decoder_.complete()) break;
    if (currentBuffer_ && bufferRoom_ == 0) {
      submit(bufferBytes_);
      currentBuffer_ = nullptr;
    }
    if (!currentBuffer_) {
      currentBuffer_ = output_.waitFreeBuffer();
      if (!currentBuffer_) break;  // closed by `stop`, or woken for a seek
      bufferRoom_ = bufferBytes_;
      if (abortRequested_) break;
      checkJoin();
    }
    uint32_t produced = 0;
    const TrackDecoder::Step step =
        decoder_.step(window, length, &p, &pending, currentBuffer_->data + (bufferBytes_ - bufferRoom_), bufferRoom_,
                      &produced);
    if (step == TrackDecoder::Step::kLost) {
      decoderLost_ = true;
      break;
    }
    bufferRoom_ -= produced;
    if (step == TrackDecoder::Step::kNeedInput) break;
  }
  const uint32_t done = std::min(p, length);
  decoder_.windowDone(done);
  return done;
}

void StreamPlayer::submit(uint32_t bytes) {
  currentBuffer_->bufferLength = bytes;
  currentBuffer_->bytesRecorded = bytes;
  output_.write(currentBuffer_);
  if (rebuffering_ && state_ == Playing) {
    const int32_t ahead = output_.samplesAhead();
    const int64_t threshold = int64_t(resumeAheadMs) * sampleRate_ / 1000 * resumePercent / 100;
    if (ahead >= threshold || output_.inFlight() == output_.bufferCount()) {
      output_.setPaused(false);
      rebuffering_ = false;
      setCurrentThreadPriority(ThreadPriority::kAboveNormal);
    }
  }
}

void StreamPlayer::drain() {
  if (currentBuffer_) {
    // Zero bytes hand the buffer back unplayed.
    submit(bufferBytes_ - bufferRoom_);
    currentBuffer_ = nullptr;
  }
  while (!output_.isDrained() && !abortRequested_ && !seekRequested_) {
    if (rebuffering_ && state_ == Playing) {
      output_.setPaused(false);
      rebuffering_ = false;
    }
    checkJoin();
    output_.waitBufferDone(kDrainCheck);
  }
  checkJoin();
}

void StreamPlayer::teardown(bool drainFirst) {
  if (drainFirst) drain();
  output_.close();
  decoderLost_ = false;
  joinPending_ = false;
  joining_ = false;
  if (source_ == SourceStreaming || source_ == SourceUrlSet) {
    stream().stop();
    status_ = StatusReady;
  }
  currentBuffer_ = nullptr;
  bufferRoom_ = 0;
  rebuffering_ = false;
  abortRequested_ = false;
  seekRequested_ = false;
  post(kMsgPlayerTeardownDone);
  state_ = Stopped;
}

}  // namespace audio
