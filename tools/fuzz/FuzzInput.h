#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzz {

// Takes bytes off the front of a fuzzer's input: small numbers that steer a harness (which
// parser, how the input is cut) and then the rest as the data to parse.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // One byte (0 when none is left).
  std::uint8_t TakeByte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  // A split length of 1..most, taken from one byte.
  std::size_t TakeLength(std::size_t most) { return 1 + TakeByte() % most; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

// Stops the run with a crash the fuzzer records when a harness's own check fails.
inline void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace fuzz
