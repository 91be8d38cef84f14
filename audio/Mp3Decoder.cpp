#include "audio/Mp3Decoder.h"

#include <algorithm>
#include <new>

namespace audio {

Mp3Decoder::Mp3Decoder() {
  mad_stream_init(&stream_);
  mad_frame_init(&frame_);
  mad_synth_init(&synth_);
}

Mp3Decoder::~Mp3Decoder() {
  mad_synth_finish(&synth_);
  mad_frame_finish(&frame_);
  mad_stream_finish(&stream_);
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::create() {
  return std::unique_ptr<Mp3Decoder>(new (std::nothrow) Mp3Decoder());
}

void Mp3Decoder::reset(std::unique_ptr<Mp3Decoder>& holder) {
  if (!holder) return;
  holder.reset();
  holder = create();
}

namespace {

// libmad's fixed-point sample to 16 bits: round, clip to [-1.0, 1.0), shift. Inline in the
// conversion loops below, which run for every sample played.
inline int16_t Scale(mad_fixed_t sample) {
  constexpr mad_fixed_t kRound = mad_fixed_t(1) << (MAD_F_FRACBITS - 16);
  constexpr mad_fixed_t kMax = MAD_F_ONE - 1;
  constexpr mad_fixed_t kMin = -MAD_F_ONE;
  // Add in 64 bits so that samples near the top of the range cannot overflow.
  int64_t rounded = int64_t(sample) + kRound;
  rounded = std::clamp<int64_t>(rounded, kMin, kMax);
  return int16_t(rounded >> (MAD_F_FRACBITS + 1 - 16));
}

inline void Put(uint8_t* out, int16_t value) {
  const auto bits = uint16_t(value);
  out[0] = uint8_t(bits & 0xFF);
  out[1] = uint8_t(bits >> 8);
}

}  // namespace

int16_t Mp3Decoder::convertSample(mad_fixed_t sample) { return Scale(sample); }

void Mp3Decoder::convert(uint32_t first, uint32_t count, uint8_t* output) const {
  const mad_fixed_t* left = synth_.pcm.samples[0] + first;
  if (synth_.pcm.channels == 2) {
    const mad_fixed_t* right = synth_.pcm.samples[1] + first;
    for (uint32_t i = 0; i < count; ++i, output += 4) {
      Put(output, Scale(left[i]));
      Put(output + 2, Scale(right[i]));
    }
    return;
  }
  for (uint32_t i = 0; i < count; ++i, output += 2) Put(output, Scale(left[i]));
}

int Mp3Decoder::decode(const uint8_t* input, uint32_t inputLength, uint8_t* output,
                       uint32_t outputCapacity, uint32_t& produced, uint32_t& consumed) {
  produced = 0;
  consumed = 0;

  if (pendingSamples_ > 0) {
    uint32_t fit = outputCapacity / bytesPerFrame();
    uint32_t n = std::min(pendingSamples_, fit);
    convert(synth_.pcm.length - pendingSamples_, n, output);
    produced += n * bytesPerFrame();
    pendingSamples_ -= n;
    if (pendingSamples_ > 0) return OutputFull;
  }
  // Nothing (more) to decode: a drain call, or an empty window.
  if (inputLength == 0) return Ok;

  mad_stream_buffer(&stream_, input, inputLength);
  if (mad_frame_decode(&frame_, &stream_) != 0) {
    if (stream_.error == MAD_ERROR_BUFLEN) return NeedInput;
    return MAD_RECOVERABLE(stream_.error) ? RecoverableError : FatalError;
  }

  mad_synth_frame(&synth_, &frame_);
  const uint32_t room = outputCapacity - produced;
  const uint32_t length = synth_.pcm.length;
  const uint32_t frameBytes = bytesPerFrame();
  consumed = uint32_t(stream_.next_frame - input);
  if (room >= length * frameBytes) {
    convert(0, length, output + produced);
    produced += length * frameBytes;
    return Ok;
  }
  uint32_t n = room / frameBytes;
  convert(0, n, output + produced);
  produced += n * frameBytes;
  pendingSamples_ = length - n;
  return OutputFull;
}

}  // namespace audio
