#pragma once

#include <cstdint>
#include <vector>

#include "audio/Mp3FrameHeader.h"
#include "catalogue/HttpStream.h"

namespace audio {

// Finds the first MPEG audio frame of a stream: reads it in blocks of `kBlockBytes` and scans
// each for a header whose next frame also looks like one, for at most
// `prebufferChunkCount` blocks. ID3v2 tags are skipped whole (their pictures and text may
// hold false frame syncs), and blocks wholly inside one are not counted. The blocks probed
// are consumed; the one the header was found in is handed back, so that decoding starts at
// that header.
class FrameSyncProbe {
 public:
  static constexpr uint32_t kBlockBytes = 4096;
  // Tags up to this size are skipped; the bytes needed to recognise one.
  static constexpr uint32_t kMaxSkippedTagBytes = 16u << 20;
  static constexpr uint32_t kTagProbeBytes = 10;

  struct Found {
    Mp3FrameHeader header;
    std::vector<uint8_t> block;  // the block it was found in
    uint32_t at = 0;             // where the header starts in `block`
    uint32_t length = 0;         // bytes of `block` read
    uint64_t bodyOffset = 0;     // where the header starts in the stream's body
  };

  // False when a read fails or no header is found.
  static bool run(catalogue::HttpStream& http, Found& out);
};

}  // namespace audio
