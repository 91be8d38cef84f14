#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

// The buffers queued on a software PCM sink, oldest first, in a fixed ring (no allocation on
// the audio path). Not synchronised: its sink guards it.
class PcmBufferQueue {
 public:
  // Buffers that may be queued at once; a wave output never queues more than a handful.
  static constexpr size_t kCapacity = 64;

  struct Entry {
    const uint8_t* data = nullptr;
    uint32_t bytes = 0;
    void* tag = nullptr;
  };
  using Tags = std::array<void*, kCapacity>;

  bool Empty() const { return count_ == 0; }
  bool Full() const { return count_ == kCapacity; }
  // False (nothing queued) when full.
  bool Push(const Entry& entry) {
    if (Full()) return false;
    ring_[(head_ + count_) % kCapacity] = entry;
    ++count_;
    return true;
  }
  // The oldest buffer; only when not empty.
  const Entry& Front() const { return ring_[head_]; }
  void Pop() {
    head_ = (head_ + 1) % kCapacity;
    --count_;
  }
  // Empties the queue; the tags of what it held, oldest first, go to `tags`. Returns their count.
  size_t Clear(Tags& tags) {
    const size_t cleared = count_;
    for (size_t i = 0; i < cleared; ++i) tags[i] = ring_[(head_ + i) % kCapacity].tag;
    head_ = 0;
    count_ = 0;
    return cleared;
  }

 private:
  std::array<Entry, kCapacity> ring_;
  size_t head_ = 0;
  size_t count_ = 0;
};

}  // namespace platform
