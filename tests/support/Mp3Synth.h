#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// MP3 bytes encoded as the demo library's tracks are (Info frame first); "" if refused.
std::string SynthesizeMp3(const Mp3SynthOptions& options);

// Convenience: a sine tone; `bitrateKbps` 0 selects VBR.
std::string SynthesizeMp3(double seconds, int sampleRate, int channels, int bitrateKbps);

// How `EncodePcm` writes a file, the ways real files come.
struct Mp3EncodeOptions {
  int sampleRate = 44100;  // MPEG-1 32/44.1/48 kHz, MPEG-2 16/22.05/24, MPEG-2.5 8/11.025/12
  int channels = 2;
  int bitrateKbps = 128;   // constant bitrate unless `vbrQuality` >= 0
  int vbrQuality = -1;     // LAME's -V 0..9
  bool infoFrame = true;   // the leading Xing/Info frame with the LAME header (delay, padding)
  size_t pictureBytes = 0; // a front-cover picture of this size in a leading ID3v2 tag
};

// An encoded file and what its encoder knew of it.
struct EncodedMp3 {
  std::string bytes;
  std::vector<int16_t> pcm;  // the encoder's input, interleaved
  int sampleRate = 0;
  int channels = 0;
  int encoderDelay = 0;    // sample frames, from the encoder itself
  int encoderPadding = 0;
  size_t tagBytes = 0;     // of the leading ID3v2 tag (0: none)
  bool infoFrame = true;    // the encoder wrote the Info frame (not when frames are too small)

  size_t Frames() const { return channels ? pcm.size() / size_t(channels) : 0; }
  double Seconds() const { return sampleRate ? double(Frames()) / sampleRate : 0.0; }
};

// Encodes interleaved `pcm` with libmp3lame; empty bytes when the encoder refuses the options.
EncodedMp3 EncodePcm(const std::vector<int16_t>& pcm, const Mp3EncodeOptions& options);
// The swelling two-tone signal of `SynthesizeMp3`, `seconds` long.
std::vector<int16_t> TonePcm(double seconds, int sampleRate, int channels);
// A phase-continuous logarithmic sweep from 200 Hz to 5 kHz and back, the right channel an
// octave below: any gap or repeated stretch in its playback is a click.
std::vector<int16_t> SweepPcm(double seconds, int sampleRate, int channels);
// One continuous recording cut into `count` consecutive tracks, each encoded on its own the way
// a gapless encoder writes them (its own Info frame with delay and padding).
std::vector<EncodedMp3> EncodeConsecutiveTracks(const std::vector<int16_t>& pcm, int count,
                                                const Mp3EncodeOptions& options);

// `mp3` decoded by a plain libmad loop, rounded to 16 bits as the player rounds, broken frames
// skipped; the last frame only when `withEndGuard` appends libmad's guard bytes.
struct LibmadDecode {
  std::vector<int16_t> samples;
  uint32_t channels = 0, sampleRate = 0, frames = 0, samplesPerFrame = 0;
};
LibmadDecode DecodeWithLibmad(const std::string& mp3, bool withEndGuard = false);

// `file` decoded as above (ID3v2 skipped, end guard on, the Info frame's output dropped); with an
// Info frame, delay plus kLibmadDelay trimmed at the start and padding at the end, so its length
// equals the encoder's input.
std::vector<int16_t> ReferenceDecode(const EncodedMp3& file);
// Adds a front cover of `pictureBytes` bytes to the ID3v2 tag at `path`; false when TagLib cannot.
bool AddCoverPicture(const std::string& path, size_t pictureBytes);

// libmad's delay, trimmed with the encoder's.
inline constexpr int kLibmadDelay = 529;

}  // namespace testsupport
