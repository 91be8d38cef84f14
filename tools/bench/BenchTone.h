#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo/Mp3Encoder.h"

namespace bench {

// A 44.1 kHz stereo CBR tone (left 440 Hz, right 660 Hz) whose loudness swells, so that
// successive frames differ; "" when the encoder cannot be had.
inline std::string SwellingToneMp3(double seconds, int kbps = 128) {
  constexpr int kRate = 44100;
  constexpr double kPi = 3.14159265358979323846;
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  std::vector<int16_t> samples(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    const double level = 0.5 * (0.6 + 0.4 * std::sin(2 * kPi * 0.25 * t));
    samples[2 * i] = int16_t(32767 * level * std::sin(2 * kPi * 440 * t));
    samples[2 * i + 1] = int16_t(32767 * level * std::sin(2 * kPi * 660 * t));
  }
  demo::Mp3Encoder encoder(demo::Mp3Format{kRate, 2, kbps, -1, true});
  const std::vector<uint8_t> mp3 = encoder.IsValid() ? encoder.EncodeAll(samples) : std::vector<uint8_t>();
  return std::string(mp3.begin(), mp3.end());
}

}  // namespace bench
