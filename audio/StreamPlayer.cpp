#include "audio/StreamPlayer.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

#include "audio/FrameSyncProbe.h"
#include "audio/ThreadPriority.h"
#include "platform/DebugLog.h"

namespace audio {

StreamPlayer::StreamPlayer(std::unique_ptr<platform::PcmSink> sink,
                           const catalogue::HttpClientOptions& httpOptions)
    : output_(std::move(sink)), http_({}, httpOptions) {}

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
  const bool taken = http_.setUrl(url) != 0;
  if (!taken) {
    platform::DebugOutput("stream URL refused; the track will fail");
    http_.clearUrl();
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
  startStopCount_ = http_.stopCount();
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
    http_.reset();
    output_.close();
    playbackThread_.join();
  }
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
  source_ = SourceNone;
  status_ = StatusIdle;
  http_.reset();
  output_.reset();
}

uint32_t StreamPlayer::position() {
  if (source_ == SourceNone || state_ == Stopped) return 0;
  return output_.position();
}

void StreamPlayer::bufferFill(uint32_t& capacity, uint32_t& queued, uint32_t& bytesReceived) {
  output_.bufferFill(capacity, queued);
  bytesReceived = http_.bytesReceived();
}

int32_t StreamPlayer::contentLength() { return http_.contentLength(); }

Mp3FrameHeader StreamPlayer::header() const {
  std::lock_guard<std::mutex> guard(playerLock_);
  return header_;
}

bool StreamPlayer::headerFound() const {
  std::lock_guard<std::mutex> guard(playerLock_);
  return headerFound_;
}

std::uint64_t StreamPlayer::lengthSamples() const { return 0; }

std::uint32_t StreamPlayer::sampleRate() const { return 0; }

bool StreamPlayer::canSeek() const { return false; }

bool StreamPlayer::seekTo(std::uint64_t) { return false; }

void StreamPlayer::post(uint32_t message) {
  if (notifyWindow_) notifyWindow_->postPlayerMessage(message);
}

// ---- the playback thread ----

void StreamPlayer::runTrack() {
  state_ = Connecting;
  {
    // A `stop` that came before this thread ran keeps its reason.
    std::lock_guard<std::mutex> guard(playerLock_);
    if (!abortRequested_) stopReason_ = 0;
  }
  source_ = SourceStreaming;
  setCurrentThreadPriority(ThreadPriority::kBelowNormal);
  http_.rangeStart = 0;
  http_.startAsOf(startStopCount_);
  status_ = StatusConnecting;
  if (!prebuffer() || !probe() || !openOutput()) {
    // A track that could not start ends with 12025; one stopped while starting reports the
    // stop, so that a stop for good never lets the playlist move on.
    const bool aborted = abortRequested_;
    teardown(false);
    post(!aborted ? kMsgTrackEnded
                  : stopReason_ != 0 ? kMsgStoppedNoAdvance : kMsgStoppedAdvance);
    return;
  }
  status_ = StatusOutputOpen;
  post(kMsgPlaybackStarted);
  state_ = Playing;
  if (decodeLoop()) {
    post(kMsgTrackEnded);
  } else {
    post(stopReason_ != 0 ? kMsgStoppedNoAdvance : kMsgStoppedAdvance);
  }
}

bool StreamPlayer::prebuffer() {
  for (;;) {
    if (abortRequested_) return false;
    if (!http_.isConnectionOpen()) return http_.isFinished();
    if (http_.queuedChunkCount() >= http_.prebufferChunkCount()) return true;
    http_.waitForQueuedChunks(http_.prebufferChunkCount(), kAbortCheck);
  }
}

bool StreamPlayer::probe() {
  Mp3FrameHeader found;
  if (!FrameSyncProbe::run(http_, found)) return false;
  std::lock_guard<std::mutex> guard(playerLock_);
  header_ = found;
  headerFound_ = true;
  return true;
}

bool StreamPlayer::openOutput() {
  const Mp3FrameHeader found = header();
  std::lock_guard<std::mutex> guard(playerLock_);
  // Checked under the lock that `stop` sets it under: either this open happens before `stop`
  // closes the output, or the abort is seen here.
  if (abortRequested_) return false;
  if (!output_.open(found.channels, found.sampleRate, 16)) return false;
  bufferBytes_ = output_.bufferSize();
  sampleRate_ = found.sampleRate;
  output_.setPaused(true);
  // Without a decoder the track could only play silence: it is failed instead.
  decoder_ = Mp3Decoder::create();
  if (!decoder_) return false;
  rebuffering_ = true;
  return true;
}

bool StreamPlayer::decodeLoop() {
  std::vector<uint8_t> input(kBlockBytes + kEndGuardBytes);
  uint32_t kept = 0;
  decoderLost_ = false;
  for (;;) {
    if (abortRequested_) {
      teardown(false);
      return false;
    }
    if (decoderLost_) {
      // A fatal decoder error and no fresh decoder: the track ends as failed.
      platform::DebugOutput("no MP3 decoder after a fatal error; track failed");
      teardown(false);
      return true;
    }
    if (http_.queuedChunkCount() < kLowChunkCount) {
      for (;;) {
        if (output_.inFlight() == 0) {
          // The device ran dry: hold it until enough audio is queued again.
          output_.setPaused(true);
          rebuffering_ = true;
          break;
        }
        // Also when the download is complete: nothing more will come to wait for, and
        // holding the device would only put a gap before the track's last bytes.
        if (http_.queuedChunkCount() >= kLowChunkCount || !http_.isConnectionOpen()) break;
        if (abortRequested_) {
          teardown(false);
          return false;
        }
        http_.waitForQueuedChunks(kLowChunkCount, kDryDeviceCheck);
      }
    }
    uint32_t got = 0;
    bool more = http_.readStream(input.data() + kept, kBlockBytes - kept, &got) != 0;
    // A read failed by `stop` is an abort, not the end of the stream.
    if (!more && abortRequested_) {
      teardown(false);
      return false;
    }
    if ((!more || got == 0) && resumeDroppedStream()) {
      // Reconnected for the rest: what this read brought is decoded as any other window.
      more = true;
    }
    if (!more || got == 0) {
      // The end of the stream: what the last read brought and the frames still kept are
      // decoded too, the last one with the guard bytes libmad needs after it.
      std::memset(input.data() + kept + got, 0, kEndGuardBytes);
      decodeWindow(input.data(), kept + got + kEndGuardBytes);
      if (abortRequested_) {
        teardown(false);
        return false;
      }
      teardown(true);
      return true;
    }
    if (got == 0) continue;
    const uint32_t length = kept + got;
    const uint32_t done = decodeWindow(input.data(), length);
    kept = length - done;
    std::memmove(input.data(), input.data() + done, kept);
    if (abortRequested_) {
      teardown(false);
      return false;
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
  const int32_t length = http_.contentLength();
  for (int attempt = 0; attempt < kResumeAttempts; ++attempt) {
    if (abortRequested_ || length <= 0) return false;
    const uint32_t offset = http_.bodyBytesRead();
    if (offset >= uint32_t(length)) return false;
    platform::DebugPrintf("stream dropped at %u of %d bytes; resuming", offset, length);
    if (!pauseUnlessStopped(kResumePauses[attempt])) return false;
    http_.rangeStart = offset;
    if (!http_.startAsOf(startStopCount_)) continue;
    // Until the new reply delivers its first chunk, or ends without one.
    while (!abortRequested_ && http_.queuedChunkCount() == 0 && http_.isConnectionOpen()) {
      http_.waitForQueuedChunks(1, kAbortCheck);
    }
    if (http_.queuedChunkCount() > 0) return true;
    if (http_.rangeRefused()) {
      platform::DebugOutput("the server did not resume the stream");
      return false;
    }
  }
  return false;
}

uint32_t StreamPlayer::decodeWindow(const uint8_t* window, uint32_t length) {
  const Mp3FrameHeader wanted = header();
  uint32_t p = 0;
  bool pending = false;
  for (;;) {
    if (abortRequested_ || decoderLost_) break;
    if (currentBuffer_ && bufferRoom_ == 0) {
      submit(bufferBytes_);
      currentBuffer_ = nullptr;
    }
    if (!currentBuffer_) {
      currentBuffer_ = output_.waitFreeBuffer();
      if (!currentBuffer_) break;  // the output was closed by `stop`
      bufferRoom_ = bufferBytes_;
      if (abortRequested_) break;
    }
    const uint8_t* input = nullptr;
    uint32_t inputLength = 0;
    if (!pending) {
      if (length - p < 4) break;  // too short for a header: keep it for the next window
      if (!Mp3FrameHeader::looksLikeNextHeader(window + p)) {
        // Re-synchronise on a header of the stream's own version, layer and rate.
        for (; p < length - 4; ++p) {
          Mp3FrameHeader candidate;
          if (Mp3FrameHeader::parse(window + p, candidate) &&
              candidate.version == wanted.version && candidate.layer == wanted.layer &&
              candidate.sampleRate == wanted.sampleRate) {
            break;
          }
        }
      }
      input = window + p;
      inputLength = length - p;
    }
    uint32_t produced = 0, consumed = 0;
    const int result =
        decoder_->decode(input, inputLength, currentBuffer_->data + (bufferBytes_ - bufferRoom_),
                         bufferRoom_, produced, consumed);
    if (result == Mp3Decoder::FatalError) {
      Mp3Decoder::reset(decoder_);
      if (!decoder_) {
        decoderLost_ = true;
        break;
      }
      p += 1;
    } else if (result == Mp3Decoder::RecoverableError) {
      p += 1;
    } else if (result == Mp3Decoder::Ok || result == Mp3Decoder::OutputFull) {
      p += consumed;
      bufferRoom_ -= produced;
      pending = result == Mp3Decoder::OutputFull;
    } else if (!pending) {  // NeedInput
      break;
    }
  }
  return p;
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

void StreamPlayer::teardown(bool drain) {
  if (drain) {
    if (currentBuffer_) {
      // Zero bytes hand the buffer back unplayed.
      submit(bufferBytes_ - bufferRoom_);
      currentBuffer_ = nullptr;
    }
    while (!output_.isDrained() && !abortRequested_) {
      if (rebuffering_ && state_ == Playing) {
        output_.setPaused(false);
        rebuffering_ = false;
      }
      output_.waitBufferDone(kDrainCheck);
    }
  }
  output_.close();
  decoder_.reset();
  if (source_ == SourceStreaming || source_ == SourceUrlSet) {
    http_.stop();
    status_ = StatusReady;
  }
  currentBuffer_ = nullptr;
  bufferRoom_ = 0;
  rebuffering_ = false;
  abortRequested_ = false;
  post(kMsgPlayerTeardownDone);
  state_ = Stopped;
}

}  // namespace audio
