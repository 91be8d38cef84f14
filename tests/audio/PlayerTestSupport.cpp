#include <gtest/gtest.h>

#include "tests/audio/PlayerTestSupport.h"

namespace audiotest {

void RecordingTarget::postPlayerMessage(uint32_t message) {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    messages_.push_back(message);
  }
  changed_.notify_all();
}

bool RecordingTarget::WaitFor(uint32_t message, int count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return std::count(messages_.begin(), messages_.end(), message) >= count;
  });
}

std::vector<uint32_t> RecordingTarget::Messages() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return messages_;
}

void RecordingTarget::Clear() {
  std::lock_guard<std::mutex> guard(mutex_);
  messages_.clear();
}

HttpClientOptions ShortHttpOptions() {
  HttpClientOptions options;
  options.waitStepMicros = 5'000;
  options.connectTimeoutMicros = 2'000'000;
  options.idleTimeoutMicros = 5'000'000;
  options.emptyQueueSleepMillis = 20;
  return options;
}

std::string RandomBytes(size_t count, uint32_t seed) {
  std::string bytes(count, 0);
  uint32_t state = seed;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    c = char(state >> 24);
  }
  return bytes;
}

std::string Id3Tag(size_t bodyBytes) {
  std::string tag = "ID3";
  tag += char(4);
  tag += char(0);
  tag += char(0);
  for (int shift : {21, 14, 7, 0}) tag += char((bodyBytes >> shift) & 0x7F);
  // Plenty of 0xFF bytes, so that the body is full of would-be frame syncs.
  std::string body = RandomBytes(bodyBytes, 99);
  for (size_t i = 0; i < body.size(); i += 7) body[i] = char(0xFF);
  return tag + body;
}

::testing::AssertionResult PlaysAsReferenceTail(const std::vector<int16_t>& played,
                                                const std::vector<int16_t>& reference,
                                                size_t settleSamples, size_t maxMissing) {
  if (played.size() > reference.size()) {
    return ::testing::AssertionFailure() << "played " << played.size()
                                         << " samples, more than the reference "
                                         << reference.size();
  }
  const size_t missing = reference.size() - played.size();
  if (missing > maxMissing) {
    return ::testing::AssertionFailure() << missing << " samples missing, more than "
                                         << maxMissing;
  }
  if (played.size() <= settleSamples) {
    return ::testing::AssertionFailure() << "only " << played.size() << " samples played";
  }
  for (size_t i = settleSamples; i < played.size(); ++i) {
    if (played[i] != reference[missing + i]) {
      return ::testing::AssertionFailure() << "sample " << i << " of " << played.size()
                                           << " is " << played[i] << ", reference "
                                           << reference[missing + i];
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace audiotest
