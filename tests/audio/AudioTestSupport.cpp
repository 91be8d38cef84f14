#include "tests/audio/AudioTestSupport.h"

#include <mad.h>

#include <algorithm>

#include "audio/Mp3FrameHeader.h"
#include "platform/audio/wav/WavPcmSink.h"
#include "tests/support/TempDir.h"

namespace audiotest {

ReferenceDecode DecodeWithLibmad(const std::string& mp3In, bool withEndGuard) {
  const std::string mp3 = withEndGuard ? mp3In + std::string(MAD_BUFFER_GUARD, 0) : mp3In;
  ReferenceDecode result;
  mad_stream stream;
  mad_frame frame;
  mad_synth synth;
  mad_stream_init(&stream);
  mad_frame_init(&frame);
  mad_synth_init(&synth);
  mad_stream_buffer(&stream, reinterpret_cast<const unsigned char*>(mp3.data()), mp3.size());
  for (;;) {
    if (mad_frame_decode(&frame, &stream) != 0) {
      if (MAD_RECOVERABLE(stream.error)) continue;
      break;
    }
    mad_synth_frame(&synth, &frame);
    result.channels = synth.pcm.channels;
    result.sampleRate = synth.pcm.samplerate;
    result.samplesPerFrame = synth.pcm.length;
    ++result.frames;
    result.frameOffsets.push_back(size_t(stream.this_frame - stream.buffer));
    for (unsigned i = 0; i < synth.pcm.length; ++i) {
      for (unsigned c = 0; c < synth.pcm.channels; ++c) {
        int64_t value = int64_t(synth.pcm.samples[c][i]) + (1 << (MAD_F_FRACBITS - 16));
        value = std::clamp<int64_t>(value, -MAD_F_ONE, MAD_F_ONE - 1);
        result.samples.push_back(int16_t(value >> (MAD_F_FRACBITS + 1 - 16)));
      }
    }
  }
  mad_synth_finish(&synth);
  mad_frame_finish(&frame);
  mad_stream_finish(&stream);
  return result;
}

size_t ReferenceDecode::SamplesBefore(size_t offset, size_t extraFrames) const {
  const size_t before = std::count_if(frameOffsets.begin(), frameOffsets.end(),
                                      [&](size_t start) { return start < offset; });
  return (before + extraFrames) * samplesPerFrame * channels;
}

std::vector<int16_t> SamplesFromBytes(const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::vector<int16_t> samples(length / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
  }
  return samples;
}

std::vector<int16_t> WavFileSamples(const std::filesystem::path& file) {
  const std::string wav = testsupport::ReadFile(file);
  const size_t header = platform::WavPcmSink::kHeaderBytes;
  return wav.size() > header ? SamplesFromBytes(wav.data() + header, wav.size() - header) : std::vector<int16_t>{};
}

ReferenceDecode DecodeMp3File(const std::filesystem::path& file) {
  const std::string mp3 = testsupport::ReadFile(file);
  const auto tag = audio::Mp3FrameHeader::id3v2TagLength(reinterpret_cast<const uint8_t*>(mp3.data()));
  return DecodeWithLibmad(mp3.substr(tag), true);
}

size_t MatchPlayedTrack(const std::vector<int16_t>& played, size_t at, const ReferenceDecode& reference,
                        bool mayStopEarly) {
  const size_t frame = reference.samplesPerFrame * reference.channels;
  const size_t settle = reference.sampleRate * reference.channels / 10;
  const size_t probeSkip = reference.SamplesBefore(4096 + 511, 2);
  if (frame == 0 || at > played.size()) return 0;
  for (size_t skip = 0; skip <= probeSkip; skip += frame) {
    size_t length = reference.samples.size() - skip;
    if (mayStopEarly) length = std::min(length, played.size() - at);
    if (at + length > played.size() || length <= settle) continue;
    if (std::equal(played.begin() + at + settle, played.begin() + at + length,
                   reference.samples.begin() + skip + settle)) {
      return at + length;
    }
  }
  return 0;
}

std::string RandomBytes(size_t count, uint32_t seed) {
  std::string bytes(count, 0);
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = char(seed >> 24);
  }
  return bytes;
}

std::string Id3Tag(size_t bodyBytes) {
  std::string tag = std::string("ID3\x04\0\0", 6);
  for (int shift : {21, 14, 7, 0}) tag += char((bodyBytes >> shift) & 0x7F);
  // Plenty of 0xFF bytes, so that the body is full of would-be frame syncs.
  std::string body = RandomBytes(bodyBytes, 99);
  for (size_t i = 0; i < body.size(); i += 7) body[i] = char(0xFF);
  return tag + body;
}

}  // namespace audiotest
