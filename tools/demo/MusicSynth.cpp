#include "tools/demo/MusicSynth.h"

#include <algorithm>
#include <cmath>

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFadeInSeconds = 0.3;
constexpr double kFadeOutSeconds = 1.5;
constexpr double kPeak = 0.85;

// A small deterministic generator (the same sequence on every platform).
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  double Unit() { return (Next() & 0xFFFF) / 65535.0; }  // 0..1
  double Noise() { return Unit() * 2.0 - 1.0; }

 private:
  uint32_t state_;
};

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Scale degree (any integer, octaves wrap) to a semitone offset.
int DegreeToSemitones(int degree, bool minor) {
  static const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
  static const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
  const int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
  const int step = degree - octave * 7;
  return octave * 12 + (minor ? kMinor[step] : kMajor[step]);
}

class Mixer {
 public:
  Mixer(const PieceSpec& piece)
      : rate_(piece.sampleRate), frames_(static_cast<size_t>(piece.seconds * piece.sampleRate)), left_(frames_), right_(frames_) {}

  // A tone with a few harmonics (amplitudes 1/h^slope), an attack and an exponential decay.
  // Each harmonic is a rotating phasor, which costs a few multiplications a sample.
  void Tone(double start, double length, double hz, double gain, double pan, int harmonics, double slope,
            double attack, double decay) {
    constexpr int kMaxHarmonics = 8;
    double re[kMaxHarmonics], im[kMaxHarmonics], stepRe[kMaxHarmonics], stepIm[kMaxHarmonics], amp[kMaxHarmonics];
    int used = 0;
    for (int h = 1; h <= std::min(harmonics, kMaxHarmonics) && hz * h < rate_ * 0.45; ++h, ++used) {
      const double w = 2.0 * kPi * hz * h / rate_;
      re[used] = 1.0, im[used] = 0.0, stepRe[used] = std::cos(w), stepIm[used] = std::sin(w);
      amp[used] = 1.0 / std::pow(h, slope);
    }
    const size_t first = static_cast<size_t>(start * rate_);
    const size_t count = static_cast<size_t>(length * rate_);
    const double decayPerSample = std::exp(-1.0 / (decay * rate_));
    const size_t attackSamples = std::max<size_t>(1, static_cast<size_t>(attack * rate_));
    const size_t releaseSamples = static_cast<size_t>(0.05 * rate_);
    double decayed = 1.0;
    for (size_t i = 0; i < count && first + i < frames_; ++i) {
      double envelope = i < attackSamples ? static_cast<double>(i) / attackSamples : (decayed *= decayPerSample);
      if (count - i < releaseSamples) envelope *= static_cast<double>(count - i) / releaseSamples;
      double value = 0.0;
      for (int h = 0; h < used; ++h) {
        value += im[h] * amp[h];
        const double r = re[h] * stepRe[h] - im[h] * stepIm[h];
        im[h] = re[h] * stepIm[h] + im[h] * stepRe[h];
        re[h] = r;
      }
      Add(first + i, value * envelope * gain, pan);
    }
  }

  void Kick(double start, double gain) {
    const size_t first = static_cast<size_t>(start * rate_);
    double phase = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(0.25 * rate_) && first + i < frames_; ++i) {
      const double t = static_cast<double>(i) / rate_;
      phase += 2.0 * kPi * (50.0 + 90.0 * std::exp(-t * 30.0)) / rate_;
      Add(first + i, std::sin(phase) * std::exp(-t * 12.0) * gain, 0.0);
    }
  }

  void Noise(double start, double length, double gain, double pan, double decay, Random& random) {
    const size_t first = static_cast<size_t>(start * rate_);
    double previous = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(length * rate_) && first + i < frames_; ++i) {
      const double t = static_cast<double>(i) / rate_;
      const double white = random.Noise();
      const double bright = white - previous;  // a first difference: a brighter, thinner hiss
      previous = white;
      Add(first + i, bright * std::exp(-t / decay) * gain, pan);
    }
  }

  std::vector<int16_t> Finish(int channels) {
    double peak = 1e-9;
    for (size_t i = 0; i < frames_; ++i) peak = std::max({peak, std::fabs(left_[i]), std::fabs(right_[i])});
    const double scale = kPeak / peak;
    std::vector<int16_t> out(frames_ * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames_; ++i) {
      const double t = static_cast<double>(i) / rate_;
      const double end = static_cast<double>(frames_ - i) / rate_;
      const double fade = std::min({1.0, t / kFadeInSeconds, end / kFadeOutSeconds});
      const double l = left_[i] * scale * fade, r = right_[i] * scale * fade;
      if (channels == 1) {
        out[i] = static_cast<int16_t>(std::lround((l + r) * 0.5 * 32767.0));
      } else {
        out[2 * i] = static_cast<int16_t>(std::lround(l * 32767.0));
        out[2 * i + 1] = static_cast<int16_t>(std::lround(r * 32767.0));
      }
    }
    return out;
  }

 private:
  void Add(size_t frame, double value, double pan) {
    left_[frame] += value * (1.0 - pan) * 0.5;
    right_[frame] += value * (1.0 + pan) * 0.5;
  }

  int rate_;
  size_t frames_;
  std::vector<double> left_, right_;
};

}  // namespace

std::vector<int16_t> MusicSynth::Render(const PieceSpec& piece) {
  Random random(piece.seed);
  Mixer mix(piece);
  const double beat = 60.0 / piece.bpm;
  const double bar = 4.0 * beat;
  static const int kMajorProgressions[3][4] = {{0, 4, 5, 3}, {0, 3, 4, 4}, {0, 5, 3, 4}};
  static const int kMinorProgressions[3][4] = {{0, 5, 2, 6}, {0, 3, 4, 0}, {0, 6, 5, 4}};
  const int(&progression)[4] = piece.minor ? kMinorProgressions[random.Below(3)] : kMajorProgressions[random.Below(3)];
  auto note = [&](int degree, int octaveShift) {
    return MidiToHz(piece.rootMidi + DegreeToSemitones(degree, piece.minor) + 12 * octaveShift);
  };

  int melody = 7 + random.Below(3);  // scale degree, starts in the upper octave
  const int bars = static_cast<int>(piece.seconds / bar) + 1;
  for (int b = 0; b < bars; ++b) {
    const double start = b * bar;
    const int chord = progression[b % 4];
    // Pad: the triad, soft attack, held for the bar; slightly detuned left and right.
    for (int voice = 0; voice < 3; ++voice) {
      const double hz = note(chord + 2 * voice, 0);
      mix.Tone(start, bar, hz * 0.998, 0.10, -0.6, 4, 1.6, 0.25, 3.0);
      mix.Tone(start, bar, hz * 1.002, 0.10, 0.6, 4, 1.6, 0.25, 3.0);
    }
    // Bass: root on each beat, the fifth on the last.
    for (int k = 0; k < 4; ++k) {
      const int degree = k == 3 ? chord + 4 : chord;
      mix.Tone(start + k * beat, beat * 0.9, note(degree, -2), 0.35, 0.0, 3, 1.0, 0.005, 0.25);
    }
    // Melody: eighth notes walking over the scale, leaning on chord tones, with rests.
    for (int k = 0; k < 8; ++k) {
      if (random.Below(5) == 0) continue;
      melody += random.Below(5) - 2;
      if (k % 2 == 0 && random.Below(2) == 0) melody = chord + 7 + 2 * random.Below(3);
      melody = std::clamp(melody, 4, 13);
      const double length = beat * (random.Below(4) == 0 ? 1.0 : 0.5);
      mix.Tone(start + k * beat * 0.5, length, note(melody, 0), 0.22, 0.3, 5, 1.2, 0.01, 0.35);
    }
    if (!piece.drums) continue;
    for (int k = 0; k < 4; ++k) {
      const double at = start + k * beat;
      if (k % 2 == 0) mix.Kick(at, 0.6);
      if (k % 2 == 1) mix.Noise(at, 0.2, 0.25, 0.1, 0.06, random);
      mix.Noise(at, 0.05, 0.08, -0.3, 0.015, random);
      mix.Noise(at + beat * 0.5, 0.05, 0.06, -0.3, 0.015, random);
    }
  }
  return mix.Finish(piece.channels);
}

}  // namespace demo
