#pragma once

#include <cstdint>

namespace audio {

// The fields of one MPEG audio frame header, as the stream player reports them.
struct Mp3FrameHeader {
  uint32_t version = 0;  // 1 = MPEG-1, 2 = MPEG-2, 3 = MPEG-2.5
  uint32_t layer = 0;    // 1..3
  uint32_t channels = 0;
  uint32_t sampleRate = 0;  // Hz
  uint32_t bitrate = 0;     // kbit/s
  uint32_t frameLength = 0;  // bytes, padding included
  uint32_t samplesPerFrame = 0;

  // Parses the big-endian header word `word`; false (and `out` untouched) when it is not a
  // valid header: no sync, reserved layer, free-format or bad bitrate, reserved rate.
  static bool parse(uint32_t word, Mp3FrameHeader& out);
  // Parses the four bytes at `bytes`.
  static bool parse(const uint8_t* bytes, Mp3FrameHeader& out);

  // The quick plausibility test for the start of the next frame, on its first three bytes.
  static bool looksLikeNextHeader(const uint8_t* bytes);

  // The frame-sync probe of one block: the first position p below `length` − 4 where a header
  // parses and the bytes at p + `frameLength` (also below `length` − 4) pass the next-header
  // test. False when the block holds none.
  static bool findInBlock(const uint8_t* block, uint32_t length, Mp3FrameHeader& out);
  // As above; `at` is where the header starts.
  static bool findInBlock(const uint8_t* block, uint32_t length, Mp3FrameHeader& out, uint32_t& at);

  // The whole length (header, body, footer) of an ID3v2 tag that starts at `bytes` (10 bytes
  // readable), or 0 when no tag starts there.
  static uint32_t id3v2TagLength(const uint8_t* bytes);

  bool isComplete() const { return version && layer && sampleRate && channels; }
};

}  // namespace audio
