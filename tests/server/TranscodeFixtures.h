#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace servertest {

// One source format as the tests make it: the ffmpeg CLI's encoder and its settings.
struct SourceFormat {
  const char* name;
  const char* extension;
  std::vector<std::string> codec;  // ffmpeg arguments after the input
};

// FLAC, Ogg Vorbis, Opus, AAC in M4A, ALAC in M4A, WAV (48 kHz stereo), FLAC (44.1 kHz mono).
const std::vector<SourceFormat>& AllSourceFormats();

// Synthesized music (pad, bass, melody, drums), interleaved stereo 16-bit at 48 kHz.
std::vector<int16_t> MusicPcm(double seconds, uint32_t seed);

// Writes stereo 48 kHz pcm in `format` with those tags through the ffmpeg CLI; false on failure.
bool WriteSource(const std::filesystem::path& path, const SourceFormat& format, const std::vector<int16_t>& pcm,
                 const std::vector<std::string>& tags);

// What a served stream holds: its Info frame's fields and its audio decoded by libmad.
struct DecodedStream {
  bool info = false;  // the first frame carries an Info header with a LAME extension
  int64_t frames = 0;       // the Info header's frame count
  int64_t bytes = 0;        // its byte count
  int delay = 0, padding = 0;
  int64_t decodedFrames = 0;  // frames libmad decoded, the Info frame included
  int sampleRate = 0, channels = 0;
  std::vector<int16_t> pcm;   // interleaved, the Info frame's silence, delay and padding cut
};
DecodedStream DecodeStream(const std::string& mp3);

// The mono mix of interleaved stereo.
std::vector<int16_t> MonoMix(const std::vector<int16_t>& stereo);

// Pearson correlation of two interleaved signals over their common length.
double Correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b);

}  // namespace servertest
