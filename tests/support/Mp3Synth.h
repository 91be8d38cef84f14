#pragma once

#include <string>

namespace testsupport {

// What `SynthesizeMp3` encodes: a tone (left 440 Hz, right 660 Hz) whose loudness swells
// slowly, so that successive frames differ.
struct Mp3SynthOptions {
  enum class Waveform { kSine, kSquare };

  double seconds = 1.0;
  int sampleRate = 44100;
  int channels = 2;
  int bitrateKbps = 128;  // constant bitrate; ignored when `vbr`
  bool vbr = false;
  Waveform waveform = Waveform::kSine;
  double amplitude = 0.5;  // of full scale; a full-scale square wave overshoots when decoded
};

// MP3 bytes encoded as the demo library's tracks are (with the leading Info frame); "" when
// the encoder refuses the options.
std::string SynthesizeMp3(const Mp3SynthOptions& options);

// Convenience: a sine tone; `bitrateKbps` 0 selects VBR.
std::string SynthesizeMp3(double seconds, int sampleRate, int channels, int bitrateKbps);

}  // namespace testsupport
