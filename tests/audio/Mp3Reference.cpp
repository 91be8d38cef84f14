#include "tests/audio/Mp3Reference.h"

#include <mad.h>

#include <algorithm>

namespace audiotest {
namespace {

int16_t Scale(mad_fixed_t sample) {
  int64_t value = int64_t(sample) + (1 << (MAD_F_FRACBITS - 16));
  value = std::clamp<int64_t>(value, -MAD_F_ONE, MAD_F_ONE - 1);
  return int16_t(value >> (MAD_F_FRACBITS + 1 - 16));
}

}  // namespace

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
    ++result.frames;
    result.samplesPerFrame = synth.pcm.length;
    result.frameOffsets.push_back(size_t(stream.this_frame - stream.buffer));
    for (unsigned i = 0; i < synth.pcm.length; ++i) {
      for (unsigned c = 0; c < synth.pcm.channels; ++c) {
        result.samples.push_back(Scale(synth.pcm.samples[c][i]));
      }
    }
  }
  mad_synth_finish(&synth);
  mad_frame_finish(&frame);
  mad_stream_finish(&stream);
  return result;
}

size_t ReferenceDecode::SamplesBefore(size_t offset, size_t extraFrames) const {
  size_t count = extraFrames;
  for (size_t start : frameOffsets) count += start < offset ? 1 : 0;
  return count * samplesPerFrame * channels;
}

std::vector<int16_t> SamplesFromBytes(const uint8_t* bytes, size_t length) {
  std::vector<int16_t> samples(length / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
  }
  return samples;
}

}  // namespace audiotest
