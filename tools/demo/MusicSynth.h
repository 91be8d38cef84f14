#pragma once

#include <cstdint>
#include <vector>

namespace demo {

// A short piece of synthesized music: a chord progression on a pad, a bass line, a melody
// wandering over the scale, and a drum pattern (kick, snare, hi-hat). The seed picks the
// melody and the variations; the same piece always renders to the same samples.
struct PieceSpec {
  uint32_t seed = 1;
  double bpm = 100.0;
  int rootMidi = 57;  // A3
  bool minor = false;
  double seconds = 20.0;
  int sampleRate = 44100;
  int channels = 2;
  bool drums = true;
};

class MusicSynth {
 public:
  // Interleaved 16-bit samples, channels per frame.
  static std::vector<int16_t> Render(const PieceSpec& piece);
};

}  // namespace demo
