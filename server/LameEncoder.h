#pragma once

#include <cstdint>
#include <string>

struct lame_global_struct;

namespace server {

// One LAME encoder at 48 kHz, constant bit rate, writing bare frames: no ID3 tag and no
// Xing/Info frame of its own (Mp3Layout writes that one first). Move-only; closed in the
// destructor.
class LameEncoder {
 public:
  LameEncoder() = default;
  ~LameEncoder();
  LameEncoder(LameEncoder&& other) noexcept;
  LameEncoder& operator=(LameEncoder&& other) noexcept;
  LameEncoder(const LameEncoder&) = delete;
  LameEncoder& operator=(const LameEncoder&) = delete;

  // channels 1 or 2. False when LAME refuses the settings.
  bool Open(int channels, int bitrateKbps, std::string& error);
  // Interleaved 16-bit samples in, whatever frames are complete appended to out.
  bool Encode(const int16_t* samples, int64_t frames, std::string& out);
  // The frames still inside the encoder.
  bool Flush(std::string& out);
  // "LAME" and the library's version, as the Info frame names it.
  static std::string Name();

  // LAME's -q: 0 best and slowest, 9 fastest. 3 keeps 256 kbit/s transparent and runs far
  // faster than real time.
  static constexpr int kQuality = 3;

 private:
  lame_global_struct* lame_ = nullptr;
  int channels_ = 2;
};

}  // namespace server
