#pragma once

#include <cstdint>

#include "audio/Mp3FrameHeader.h"
#include "catalogue/HttpStream.h"

namespace audio {

// Finds the first MPEG audio frame of a stream: reads it in blocks of `kBlockBytes` and scans
// each for a header whose next frame also looks like one, for at most
// `prebufferChunkCount` blocks. ID3v2 tags are skipped whole (their pictures and text may
// hold false frame syncs), and blocks wholly inside one are not counted. The blocks probed
// are consumed.
class FrameSyncProbe {
 public:
  static constexpr uint32_t kBlockBytes = 4096;
  // Tags up to this size are skipped; the bytes needed to recognise one.
  static constexpr uint32_t kMaxSkippedTagBytes = 16u << 20;
  static constexpr uint32_t kTagProbeBytes = 10;

  // False when a read fails or no header is found.
  static bool run(catalogue::HttpStream& http, Mp3FrameHeader& out);
};

}  // namespace audio
