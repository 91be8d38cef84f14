#include "tests/support/Mp3Synth.h"

#include <cmath>
#include <vector>

#include "tools/demo/Mp3Encoder.h"

namespace testsupport {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Tone(const Mp3SynthOptions& options, int channel, long frame) {
  const double t = double(frame) / options.sampleRate;
  const double frequency = channel == 0 ? 440.0 : 660.0;
  const double phase = std::sin(2 * kPi * frequency * t);
  const double swell = 0.75 + 0.25 * std::sin(2 * kPi * 0.5 * t);
  if (options.waveform == Mp3SynthOptions::Waveform::kSquare) {
    return options.amplitude * (phase >= 0 ? 1.0 : -1.0);
  }
  return options.amplitude * swell * phase;
}

}  // namespace

std::string SynthesizeMp3(const Mp3SynthOptions& options) {
  const long frames = long(options.seconds * options.sampleRate);
  std::vector<int16_t> samples;
  samples.reserve(size_t(frames) * size_t(options.channels));
  for (long frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < options.channels; ++channel) {
      samples.push_back(int16_t(std::lround(32767 * Tone(options, channel, frame))));
    }
  }
  demo::Mp3Encoder encoder({options.sampleRate, options.channels, options.bitrateKbps, options.vbr ? 4 : -1});
  const std::vector<uint8_t> mp3 = encoder.EncodeAll(samples);
  return std::string(mp3.begin(), mp3.end());
}

std::string SynthesizeMp3(double seconds, int sampleRate, int channels, int bitrateKbps) {
  Mp3SynthOptions options;
  options.seconds = seconds;
  options.sampleRate = sampleRate;
  options.channels = channels;
  options.bitrateKbps = bitrateKbps;
  options.vbr = bitrateKbps == 0;
  return SynthesizeMp3(options);
}

}  // namespace testsupport
