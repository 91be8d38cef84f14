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
#include "audio/PlayerNotifyTarget.h"
#include "audio/TrackInfo.h"
#include "audio/WaveOutput.h"
#include "catalogue/HttpStream.h"
#include "platform/audio/PcmSink.h"

namespace audio {

// Plays one MP3 stream at a time from an HTTP URL: downloads through its `HttpStream`, finds
// the first frame header, opens the wave output, decodes straight into the wave buffers and
// holds the device paused while too little audio is queued. One playback thread per track;
// it reports through the notify target.
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

  WaveOutput& output() { return output_; }

 private:
  void runTrack();
  bool prebuffer();
  bool probe();
  bool openOutput();
  bool decodeLoop();
  // After the stream ended short of its length: reconnects for the rest; true once the new
  // reply delivers, false when the stream is complete, has no length, or every attempt failed.
  bool resumeDroppedStream();
  // Waits `duration` unless a stop comes first; false on a stop.
  bool pauseUnlessStopped(std::chrono::milliseconds duration);
  uint32_t decodeWindow(const uint8_t* window, uint32_t length);
  void submit(uint32_t bytes);
  void teardown(bool drain);
  void post(uint32_t message);
  void stopLocked(int32_t reason);
  void togglePauseLocked();

  WaveOutput output_;
  catalogue::HttpStream http_;
  PlayerNotifyTarget* notifyWindow_ = nullptr;
  std::thread playbackThread_;

  std::atomic<int32_t> state_{Stopped};
  std::atomic<int32_t> status_{StatusIdle};
  std::atomic<int32_t> source_{SourceNone};
  std::atomic<bool> rebuffering_{false};
  std::atomic<bool> abortRequested_{false};
  std::atomic<int32_t> stopReason_{0};
  // The stream's stop count when `play` decided to start: a stop made after it, also one
  // before the playback thread reached the connect, ends that connect.
  std::atomic<uint64_t> startStopCount_{0};
  // Set by the playback thread when no decoder can be had: the track fails.
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

  // Owned by the playback thread while it runs.
  std::unique_ptr<Mp3Decoder> decoder_;
  WaveHeader* currentBuffer_ = nullptr;
  uint32_t bufferBytes_ = 0;
  uint32_t bufferRoom_ = 0;
  uint32_t sampleRate_ = 0;
};

}  // namespace audio
