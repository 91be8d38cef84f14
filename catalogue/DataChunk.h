#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/HttpClientLimits.h"

namespace catalogue {

// One block of raw stream bytes handed from the HTTP worker to the reader.
struct DataChunk {
  std::uint8_t data[httplimits::kChunkDataSize];
  std::uint32_t fillCount;     // bytes written by the worker
  std::uint32_t readPosition;  // bytes already taken by the reader
};

// A first-in first-out list of chunk pointers whose capacity is fixed by Reserve, so that
// pushing and popping never allocate. Not locked: its owner guards it.
class ChunkQueue {
 public:
  // Empties the queue and makes room for `capacity` entries (allocates).
  void Reserve(std::size_t capacity) {
    slots_.assign(capacity, nullptr);
    head_ = 0;
    size_ = 0;
  }
  // Empties the queue and gives its storage back.
  void Release() {
    std::vector<DataChunk*>().swap(slots_);
    head_ = 0;
    size_ = 0;
  }
  bool Empty() const { return size_ == 0; }
  std::size_t Size() const { return size_; }
  DataChunk* Front() const { return slots_[head_]; }
  // False when the queue is full.
  bool PushBack(DataChunk* chunk) {
    if (size_ == slots_.size()) return false;
    slots_[(head_ + size_) % slots_.size()] = chunk;
    ++size_;
    return true;
  }
  DataChunk* PopFront() {
    DataChunk* chunk = slots_[head_];
    head_ = (head_ + 1) % slots_.size();
    --size_;
    return chunk;
  }

 private:
  std::vector<DataChunk*> slots_;
  std::size_t head_ = 0;
  std::size_t size_ = 0;
};

}  // namespace catalogue
