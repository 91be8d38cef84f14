#include "audio/Mp3FrameHeader.h"

namespace audio {
namespace {

// Bitrates in kbit/s by bitrate index (ISO/IEC 11172-3 and 13818-3); index 0 is free format
// and 15 is forbidden, both refused before the lookup.
constexpr uint16_t kMpeg1Bitrates[3][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // Layer III
};
// MPEG-2 and MPEG-2.5: Layer I, and Layers II and III together.
constexpr uint16_t kMpeg2Bitrates[2][16] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
// Sampling rates by version (1, 2, 2.5) and rate index; index 3 is reserved.
constexpr uint32_t kSampleRates[3][3] = {
    {44100, 48000, 32000},
    {22050, 24000, 16000},
    {11025, 12000, 8000},
};

}  // namespace

bool Mp3FrameHeader::parse(uint32_t h, Mp3FrameHeader& out) {
  if ((h >> 21) != 0x7FF) return false;
  const uint32_t layerBits = (h >> 17) & 3;
  const uint32_t bitrateIndex = (h >> 12) & 15;
  const uint32_t rateIndex = (h >> 10) & 3;
  if (layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
  // Bit 20 clear with bit 19 set is the reserved version; the tables treat it as MPEG-2.5
  // only when bit 19 is clear as well.
  const uint32_t version = (h & (1u << 20)) ? ((h & (1u << 19)) ? 1 : 2) : 3;
  if (version == 3 && (h & (1u << 19))) return false;
  const uint32_t layer = 4 - layerBits;
  const uint32_t bitrate = version == 1 ? kMpeg1Bitrates[layer - 1][bitrateIndex]
                                        : kMpeg2Bitrates[layer == 1 ? 0 : 1][bitrateIndex];
  const uint32_t sampleRate = kSampleRates[version - 1][rateIndex];
  if (bitrate == 0 || sampleRate == 0) return false;
  const uint32_t padding = (h >> 9) & 1;

  Mp3FrameHeader header;
  header.version = version;
  header.layer = layer;
  header.channels = ((h >> 6) & 3) == 3 ? 1 : 2;
  header.sampleRate = sampleRate;
  header.bitrate = bitrate;
  if (layer == 1) {
    header.frameLength = (12 * bitrate * 1000 / sampleRate + padding) * 4;
    header.samplesPerFrame = 384;
  } else if (layer == 2 || version == 1) {
    header.frameLength = 144 * bitrate * 1000 / sampleRate + padding;
    header.samplesPerFrame = 1152;
  } else {
    header.frameLength = 72 * bitrate * 1000 / sampleRate + padding;
    header.samplesPerFrame = 576;
  }
  out = header;
  return true;
}

bool Mp3FrameHeader::parse(const uint8_t* b, Mp3FrameHeader& out) {
  return parse(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3], out);
}

bool Mp3FrameHeader::looksLikeNextHeader(const uint8_t* b) {
  return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && (b[1] & 0x06) != 0 && (b[2] & 0xF0) != 0 &&
         (b[2] & 0xF0) != 0xF0 && (b[2] & 0x0C) != 0x0C;
}

bool Mp3FrameHeader::findInBlock(const uint8_t* block, uint32_t length, Mp3FrameHeader& out) {
  uint32_t at = 0;
  return findInBlock(block, length, out, at);
}

bool Mp3FrameHeader::findInBlock(const uint8_t* block, uint32_t length, Mp3FrameHeader& out, uint32_t& at) {
  if (length < 4) return false;
  const uint32_t end = length - 4;
  for (uint32_t p = 0; p < end; ++p) {
    Mp3FrameHeader header;
    if (!parse(block + p, header)) continue;
    const uint64_t q = uint64_t(p) + header.frameLength;
    if (q < end && looksLikeNextHeader(block + q)) {
      if (!header.isComplete()) return false;
      out = header;
      at = p;
      return true;
    }
  }
  return false;
}

uint32_t Mp3FrameHeader::id3v2TagLength(const uint8_t* b) {
  constexpr uint32_t kTagHeaderBytes = 10;
  constexpr uint8_t kFooterFlag = 0x10;
  if (b[0] != 'I' || b[1] != 'D' || b[2] != '3' || b[3] == 0xFF || b[4] == 0xFF) return 0;
  if ((b[6] | b[7] | b[8] | b[9]) & 0x80) return 0;
  // The size is "synchsafe": 7 bits a byte.
  const uint32_t size = uint32_t(b[6]) << 21 | uint32_t(b[7]) << 14 | uint32_t(b[8]) << 7 | b[9];
  return kTagHeaderBytes + size + ((b[5] & kFooterFlag) ? kTagHeaderBytes : 0);
}

}  // namespace audio
