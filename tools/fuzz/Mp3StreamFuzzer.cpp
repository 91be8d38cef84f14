// The frame-sync probe's header and tag scans and the decoder, fed a stream in arbitrary read
// sizes the way the player reads it: blocks for the probe, then windows that keep a cut frame
// for the next read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/FrameSyncProbe.h"
#include "audio/Mp3Decoder.h"
#include "audio/Mp3FrameHeader.h"
#include "tools/fuzz/FuzzInput.h"

namespace {

constexpr std::uint32_t kWindow = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input(data, size);
  std::size_t reads[4];
  for (std::size_t& read : reads) read = input.TakeLength(kWindow);
  const std::uint8_t* stream = input.data();
  const std::size_t length = input.size();

  // The probe's scans over the first block.
  const std::uint32_t block = static_cast<std::uint32_t>(std::min<std::size_t>(length, kWindow));
  audio::Mp3FrameHeader found;
  audio::Mp3FrameHeader::findInBlock(stream, block, found);
  for (std::uint32_t at = 0; at + audio::FrameSyncProbe::kTagProbeBytes <= block; ++at) {
    audio::Mp3FrameHeader::id3v2TagLength(stream + at);
  }

  auto decoder = audio::Mp3Decoder::create();
  std::vector<std::uint8_t> window(kWindow + MAD_BUFFER_GUARD);
  std::vector<std::uint8_t> pcm(4608);
  std::uint32_t kept = 0;
  std::size_t offset = 0;
  for (std::size_t i = 0;; ++i) {
    const std::size_t got = std::min({reads[i % 4], length - offset, std::size_t(kWindow - kept)});
    std::memcpy(window.data() + kept, stream + offset, got);
    offset += got;
    const bool last = offset == length;
    std::uint32_t windowLength = kept + static_cast<std::uint32_t>(got);
    if (last) {
      std::memset(window.data() + windowLength, 0, MAD_BUFFER_GUARD);
      windowLength += MAD_BUFFER_GUARD;
    }
    std::uint32_t p = 0;
    for (int steps = 0; steps < 4096; ++steps) {
      std::uint32_t produced = 0, consumed = 0;
      const int result = decoder->decode(window.data() + p, windowLength - p, pcm.data(),
                                         static_cast<std::uint32_t>(pcm.size()), produced, consumed);
      fuzz::Require(produced <= pcm.size() && consumed <= windowLength - p);
      if (result == audio::Mp3Decoder::NeedInput) break;
      if (result == audio::Mp3Decoder::FatalError) return 0;
      p += result == audio::Mp3Decoder::RecoverableError ? 1 : consumed;
      if (p >= windowLength) break;
    }
    if (last) break;
    kept = windowLength - p;
    std::memmove(window.data(), window.data() + p, kept);
    if (kept == kWindow) kept = 0;  // a full window that decodes to nothing is dropped
  }
  return 0;
}
