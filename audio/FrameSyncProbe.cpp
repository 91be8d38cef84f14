#include "audio/FrameSyncProbe.h"

#include <vector>

namespace audio {

bool FrameSyncProbe::run(catalogue::HttpStream& http, Found& out) {
  std::vector<uint8_t>& block = out.block;
  block.assign(kBlockBytes, 0);
  uint64_t tagBytesLeft = 0;  // of an ID3v2 tag that runs on past the block read last
  for (uint32_t probed = 0; probed < http.prebufferChunkCount();) {
    uint32_t got = 0;
    if (!http.readStream(block.data(), kBlockBytes, &got)) return false;
    // Blocks wholly inside a tag are skipped without counting as probed.
    if (tagBytesLeft >= got) {
      tagBytesLeft -= got;
      continue;
    }
    ++probed;
    uint32_t start = uint32_t(tagBytesLeft);
    tagBytesLeft = 0;
    for (;;) {
      // A tag's contents (pictures, text) may hold false frame syncs: frames are looked for
      // only before it, and scanning goes on after it.
      uint32_t tagAt = start;
      uint32_t tagLength = 0;
      for (; tagAt + kTagProbeBytes <= got; ++tagAt) {
        tagLength = Mp3FrameHeader::id3v2TagLength(block.data() + tagAt);
        if (tagLength > 0 && tagLength <= kMaxSkippedTagBytes) break;
        tagLength = 0;
      }
      if (tagLength == 0) tagAt = got;
      uint32_t at = 0;
      if (Mp3FrameHeader::findInBlock(block.data() + start, tagAt - start, out.header, at)) {
        out.at = start + at;
        out.length = got;
        const uint64_t readSoFar = http.bodyBytesRead();
        out.bodyOffset = readSoFar >= got ? readSoFar - got + out.at : out.at;
        return true;
      }
      if (tagLength == 0) break;
      if (uint64_t(tagAt) + tagLength > got) {
        tagBytesLeft = uint64_t(tagAt) + tagLength - got;
        break;
      }
      start = tagAt + tagLength;
    }
  }
  return false;
}

}  // namespace audio
