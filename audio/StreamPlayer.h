#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio/Mp3Decoder.h"
#include "audio/Mp3FrameHeader.h"
#include "audio/Mp3StreamInfo.h"
#include "audio/NextTrack.h"
#include "audio/PlayerNotifyTarget.h"
#include "audio/Prefetcher.h"
#include "audio/TrackDecoder.h"
#include "audio/TrackInfo.h"
#include "audio/WaveOutput.h"
#include "catalogue/HttpStream.h"
#include "platform/audio/PcmSink.h"

namespace audio {

// Plays MP3 streams from HTTP URLs: downloads through an `HttpStream` per track, finds the
// first frame header (and the Xing/Info/LAME header in that frame), opens the wave output,
// decodes straight into the wave buffers with the encoder's delay and padding trimmed, and
// holds the device paused while too little audio is queued. The next track, when the playlist
// names one, is fetched ahead and joined on without closing the device. One playback thread
// runs from `play` to the end of the last track joined; it reports through the notify target.
//
// Control operations are for one thread (the user interface's); `position`, `bufferFill`,
// `state` and `status` may be read from any thread.
class StreamPlayer {
 public:
  // `state` values.
  static constexpr int32_t Stopped = 0;
  static constexpr int32_t Playing = 1;
  static constexpr int32_t Paused = 2;
  static constexpr int32_t Connecting = 3;
  // `status` values.
  static constexpr int32_t StatusIdle = 0;
  static constexpr int32_t StatusReady = 1;
  static constexpr int32_t StatusConnecting = 3;
  static constexpr int32_t StatusOutputOpen = 4;
  // `source` values.
  static constexpr int32_t SourceNone = 0;
  static constexpr int32_t SourceStreaming = 1;
  static constexpr int32_t SourceUrlSet = 5;

  // Bytes read from the stream per probe and per decode step.
  static constexpr uint32_t kBlockBytes = 4096;
  // Zero bytes put after the last frame of a stream: libmad decodes a frame only when this
  // much follows it.
  static constexpr uint32_t kEndGuardBytes = MAD_BUFFER_GUARD;
  // The device restarts after a stall once this much audio is queued ahead (percent of
  // `resumeAheadMs`), or when every wave buffer is queued.
  static constexpr uint32_t resumeAheadMs = WaveOutput::totalBufferMs;
  static constexpr uint32_t resumePercent = 100;
  // Below this many queued chunks the decode loop watches for the device running dry.
  static constexpr uint32_t kLowChunkCount = 2;
  // The playback thread waits on the stream's queue and the output's buffer completions; a
  // stop wakes both. These bound each wait: how late a device that ran dry while the queue
  // is low is noticed, and how often a drain looks at a sink position that advances without
  // a completion.
  static constexpr std::chrono::milliseconds kDryDeviceCheck{5};
  static constexpr std::chrono::milliseconds kDrainCheck{20};
  static constexpr std::chrono::milliseconds kAbortCheck{50};
  // The next track's download starts when the current one's is complete, or this long
  // before the current track's end, whichever comes first.
  static constexpr uint32_t kPrefetchLeadSeconds = 10;
  static constexpr std::chrono::milliseconds kPrefetchWaitStep{5};

  // A stream that ends before its Content-Length is asked again from where it stopped (a
  // Range request), at most this many times in a row, after these pauses.
  static constexpr int kResumeAttempts = 3;
  static constexpr std::chrono::milliseconds kResumePauses[kResumeAttempts] = {
      std::chrono::milliseconds(500), std::chrono::milliseconds(1000), std::chrono::milliseconds(2000)};

  // `httpOptions` are the stream's time limits (tests shorten them).
  explicit StreamPlayer(std::unique_ptr<platform::PcmSink> sink,
                        const catalogue::HttpClientOptions& httpOptions = catalogue::HttpClientOptions());
  // Stops the playback thread (reason 1).
  ~StreamPlayer();
  StreamPlayer(const StreamPlayer&) = delete;
  StreamPlayer& operator=(const StreamPlayer&) = delete;

  // The target of the player's messages; set once, before the first `play`.
  void setNotifyWindow(PlayerNotifyTarget* target) { notifyWindow_ = target; }

  int32_t state() const { return state_.load(); }
  int32_t status() const { return status_.load(); }
  int32_t source() const { return source_.load(); }

  void setTrackInfo(const TrackInfo& info);
  TrackInfo trackInfo() const;

  // Stops whatever plays and takes `url` for the next `play`. A URL the stream refuses
  // (false) leaves none: that track fails to connect and ends with 12025, and the previous
  // URL is never played again under the new track's name.
  bool setUrl(const std::u16string& url);
  // Starts the track (false without a URL, while one runs, or when its thread cannot be
  // made), or resumes a paused one.
  bool play();
  void togglePause();
  // Stops the track and waits for its thread. Reason 0 reports 12026 (the playlist moves on),
  // reason 1 reports 12027.
  void stop(int32_t reason);
  void resetAll();

  // Sample frames played of the current track; 0 while stopped.
  uint32_t position();
  void bufferFill(uint32_t& capacity, uint32_t& queued, uint32_t& bytesReceived);
  int32_t contentLength();
  Mp3FrameHeader header() const;
  bool headerFound() const;

  // The track's length in sample frames by the one length rule (frame count of a Xing, Info or
  // VBRI header, with LAME delay/padding removed; else CBR arithmetic on the audio bytes after a
  // leading ID3v2 tag; else, for VBR without a header, an estimate from the frames decoded so
  // far, refined as it plays); 0 while unknown. Any thread.
  std::uint64_t lengthSamples() const;
  // Sample rate of the current track (0 while unknown). Any thread.
  std::uint32_t sampleRate() const;
  // True while the current track has a known length and its stream answers Range requests
  // (a 206 reply or "Accept-Ranges: bytes"). Any thread.
  bool canSeek() const;
  // UI thread. Moves the playing or paused track to `sampleFrame` from its start (a paused track
  // stays paused). `position()` reports the target from the call on and counts on from it.
  // A target at or past the end ends the track as a normal end (11026, 12025). False, and
  // nothing changes, when no track plays or canSeek() is false.
  bool seekTo(std::uint64_t sampleFrame);

  // UI thread. The track that follows the current one (the playlist's next entry); its
  // download starts ahead and playback joins on to it. A different token cancels a fetch
  // under way for another.
  void setNextTrack(const NextTrack& next);
  // UI thread. No next track: a fetch under way is cancelled.
  void clearNextTrack();
  // UI thread. True when playback has joined on to the entry `token` (the previous track's
  // 12025 is being handled): the playlist takes it as started instead of starting it again.
  bool adoptNextTrack(const void* token);

  WaveOutput& output() { return output_; }

 private:
  enum class LoopEnd { kEnded, kAborted, kFailed, kSeekPastEnd };
  // What the probe leaves for the decoder: the block the first frame was found in, from it.
  struct ProbedStart {
    std::vector<uint8_t> window;
    Mp3StreamInfo info;
  };

  catalogue::HttpStream& stream() { return *stream_; }
  void runTrack();
  bool prebuffer(catalogue::HttpStream& stream);
  bool probe(catalogue::HttpStream& stream, ProbedStart& start);
  bool openOutput(const Mp3FrameHeader& found);
  void beginTrack(const ProbedStart& start);
  LoopEnd decodeLoop();
  // At the end of a track's stream: takes the prefetched next track and goes on with it;
  // false when there is none (or it cannot start) and the track ends as before.
  bool joinNext();
  // The playback thread's checks: the start of the prefetch, and the join point passed.
  void maybePrefetch();
  void checkJoin();
  void forgetJoinedNext(const void* token);
  // Moves playback to the seek target; kSeekPastEnd, kAborted or kEnded (continue).
  LoopEnd performSeek();
  void publishLength();
  // After the stream ended short of its length: reconnects for the rest; true once the new
  // reply delivers, false when the stream is complete, has no length, or every attempt failed.
  bool resumeDroppedStream();
  // Waits `duration` unless a stop comes first; false on a stop.
  bool pauseUnlessStopped(std::chrono::milliseconds duration);
  uint32_t decodeWindow(const uint8_t* window, uint32_t length);
  // Waits until the output has played everything queued (or a stop or seek comes).
  void drain();
  void submit(uint32_t bytes);
  void teardown(bool drain);
  void post(uint32_t message);
  void stopLocked(int32_t reason);
  void togglePauseLocked();

  WaveOutput output_;
  // The current track's stream; replaced by the playback thread at a join, under `streamLock_`.
  std::unique_ptr<catalogue::HttpStream> stream_;
  // Guards the `stream_` pointer against its replacement while another thread reads through it.
  mutable std::mutex streamLock_;
  Prefetcher prefetcher_;
  PlayerNotifyTarget* notifyWindow_ = nullptr;
  std::thread playbackThread_;

  std::atomic<int32_t> state_{Stopped};
  std::atomic<int32_t> status_{StatusIdle};
  std::atomic<int32_t> source_{SourceNone};
  std::atomic<bool> rebuffering_{false};
  std::atomic<bool> abortRequested_{false};
  std::atomic<int32_t> stopReason_{0};
  // The current stream's stop count when `play` decided to start (or a join took the stream):
  // a stop made after it, also one before the playback thread reached the connect, ends that
  // connect.
  std::atomic<uint64_t> startStopCount_{0};
  // Set by the playback thread when no decoder (or, at a join, no output) can be had: the
  // track fails. Cleared by the teardown.
  bool decoderLost_ = false;

  // Serialises the control operations; held while `stop` waits for the playback thread,
  // which never takes it.
  std::mutex controlLock_;
  // Guards `header_`, `headerFound_` and `trackInfo_`, and makes the playback thread's check
  // of `abortRequested_` and its opening of the output one step against `stop`.
  mutable std::mutex playerLock_;
  Mp3FrameHeader header_;
  bool headerFound_ = false;
  TrackInfo trackInfo_;

  // Guards `next_`, `nextVersion_` and `prefetchVersion_`; the prefetch starts under it.
  std::mutex nextLock_;
  NextTrack next_;
  uint64_t nextVersion_ = 0;      // counts setNextTrack and clearNextTrack calls
  uint64_t prefetchVersion_ = 0;  // the version whose fetch was begun; 0 when none
  std::atomic<const void*> joinedToken_{nullptr};

  // Position bookkeeping: position() = device position - trackBase_ + seekBase_.
  std::atomic<uint32_t> trackBase_{0};
  std::atomic<uint64_t> seekBase_{0};
  std::atomic<uint64_t> lengthSamples_{0};
  std::atomic<uint32_t> sampleRate_{0};
  std::atomic<bool> rangesAccepted_{false};
  std::atomic<bool> seekRequested_{false};
  std::atomic<uint64_t> seekTarget_{0};
  std::atomic<uint64_t> seekCount_{0};  // counts seekTo calls, so that one during a seek is kept

  // Owned by the playback thread while it runs.
  TrackDecoder decoder_;
  std::vector<uint8_t> input_;
  uint32_t kept_ = 0;
  // A join whose point (device sample `joinAt_`) has not been played yet, and what the next
  // track's start message will report.
  bool joinPending_ = false;
  uint32_t joinAt_ = 0;
  const void* joinToken_ = nullptr;
  TrackInfo joinInfo_;
  // Set from a same-format join until its point is played (seeks wait until then).
  std::atomic<bool> joining_{false};
  WaveHeader* currentBuffer_ = nullptr;
  uint32_t bufferBytes_ = 0;
  uint32_t bufferRoom_ = 0;
};

}  // namespace audio
