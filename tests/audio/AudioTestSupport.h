#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "audio/PlayerNotifyTarget.h"
#include "tests/support/Mp3Synth.h"

namespace audiotest {

using ReferenceDecode = testsupport::LibmadDecode;
using testsupport::DecodeWithLibmad;

// Interleaved 16-bit samples from little-endian bytes.
std::vector<int16_t> SamplesFromBytes(const void* bytes, size_t length);
// The samples of a WAV file the WAV sink wrote; empty when there are none.
std::vector<int16_t> WavFileSamples(const std::filesystem::path& file);
// An MP3 file decoded by DecodeWithLibmad (ID3v2 skipped, end guard on), trimmed as its LAME
// header says.
ReferenceDecode DecodeMp3File(const std::filesystem::path& file);

// Index after the track `reference` found sample for sample in `played` from `at` on (up to
// the end of `played` when `mayStopEarly`); 0 when it is not there.
size_t MatchPlayedTrack(const std::vector<int16_t>& played, size_t at, const ReferenceDecode& reference,
                        bool mayStopEarly = false);

// Records the player's messages in order.
class RecordingTarget : public audio::PlayerNotifyTarget {
 public:
  void postPlayerMessage(uint32_t message) override {
    std::lock_guard<std::mutex> guard(mutex_);
    messages_.push_back(message);
    changed_.notify_all();
  }
  // Waits until `message` has been posted `count` times in all; false after 20 s.
  bool WaitFor(uint32_t message, int count = 1) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] {
      return std::count(messages_.begin(), messages_.end(), message) >= count;
    });
  }
  std::vector<uint32_t> Messages() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return messages_;
  }
  // How often `message` has been posted so far.
  long Count(uint32_t message) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return long(std::count(messages_.begin(), messages_.end(), message));
  }

 private:
  mutable std::mutex mutex_;  // guards `messages_`
  std::condition_variable changed_;
  std::vector<uint32_t> messages_;
};

// The ways real files come: LAME VBR and CBR, behind a 600 KB picture, MPEG-2 and 2.5 rates,
// and without the header frame.
struct FixtureKind {
  const char* name;
  testsupport::Mp3EncodeOptions options;
  double seconds;
  uint32_t version;  // of its frames: 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
};
const std::vector<FixtureKind>& FixtureKinds();
// The kind's file, encoding the two-tone signal.
testsupport::EncodedMp3 EncodeFixture(const FixtureKind& kind);

// Deterministic pseudo-random bytes.
std::string RandomBytes(size_t count, uint32_t seed);

// An ID3v2.4 tag of `bodyBytes` pseudo-random bytes (full of false frame syncs).
std::string Id3Tag(size_t bodyBytes);

}  // namespace audiotest
