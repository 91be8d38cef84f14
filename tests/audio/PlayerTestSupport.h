#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "audio/PlayerNotifyTarget.h"
#include "catalogue/HttpClientLimits.h"

namespace audiotest {

// Records the player's messages in order.
class RecordingTarget : public audio::PlayerNotifyTarget {
 public:
  void postPlayerMessage(uint32_t message) override;
  // Waits until `message` has been posted `count` times in all; false after `timeout`.
  bool WaitFor(uint32_t message, int count = 1,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));
  std::vector<uint32_t> Messages() const;
  void Clear();

 private:
  // Guards `messages_`.
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint32_t> messages_;
};

// The stream's time limits shortened for tests.
HttpClientOptions ShortHttpOptions();

// Deterministic pseudo-random bytes.
std::string RandomBytes(size_t count, uint32_t seed);

// An ID3v2.4 tag of `bodyBytes` pseudo-random bytes (full of false frame syncs).
std::string Id3Tag(size_t bodyBytes);

// Checks that `played` is the reference decode of the same bytes with at most
// `maxMissingSeconds` missing from its start (skipped by the probe) and the first
// `settleSamples` played samples allowed to differ (the decoder starting mid-stream).
::testing::AssertionResult PlaysAsReferenceTail(const std::vector<int16_t>& played,
                                                const std::vector<int16_t>& reference,
                                                size_t settleSamples, size_t maxMissing);

}  // namespace audiotest
