#pragma once

#include <array>
#include <vector>
#include <cstdint>

#include "audio/Mp3FrameHeader.h"

namespace audio {

// What the first frame of an MP3 stream tells about the whole: a Xing or Info header (frame
// and byte counts, the seek table), a VBRI header, and the LAME extension's encoder delay and
// padding. Such a frame carries no audio and is not played. Also the length and seek rules
// that follow from it.
struct Mp3StreamInfo {
  // The decoder's own delay in sample frames (libmad's synthesis filter bank), trimmed at the
  // start together with the encoder's delay when a LAME header gives that.
  static constexpr uint32_t kDecoderDelay = 529;
  static constexpr uint32_t kTocEntries = 100;
  // The most a LAME header can give for delay or padding (12 bits each).
  static constexpr uint32_t kMaxLameField = 4095;

  Mp3FrameHeader header;       // of the first frame
  uint64_t audioStart = 0;     // body offset of the first frame (after a leading ID3v2 tag)
  bool infoFrame = false;      // the first frame is a Xing, Info or VBRI header frame
  bool vbrHeader = false;      // "Xing" or VBRI (variable bitrate), not "Info"
  uint32_t frames = 0;         // audio frames the header counts (0 when it gives none)
  uint32_t bytes = 0;          // audio bytes the header counts, itself included (0: none)
  bool hasToc = false;
  std::array<uint8_t, kTocEntries> toc{};  // Xing: byte position of each percent, in 1/256
  // VBRI: the body offset (from `audioStart`) at which each run of `vbriFramesPerEntry` frames
  // starts, and after the last one where the audio ends; empty without a table.
  std::vector<uint64_t> vbriOffsets;
  uint32_t vbriFramesPerEntry = 0;
  bool hasLame = false;
  uint32_t encoderDelay = 0;   // sample frames
  uint32_t encoderPadding = 0;

  // Reads the frame at `frame` (`length` bytes readable, the whole frame at best); `header`
  // is its parsed header. Fills every field but `audioStart`.
  static Mp3StreamInfo parse(const uint8_t* frame, uint32_t length, const Mp3FrameHeader& header);

  // Sample frames to drop before the first one played, and the trimmed length of the track
  // when the header counts its frames (0 when it does not).
  uint32_t startTrim() const { return hasLame ? encoderDelay + kDecoderDelay : 0; }
  uint64_t headerLength() const;

  // The track's length in sample frames: the header's count, else CBR arithmetic on the
  // audio bytes of a stream of `contentLength` body bytes; 0 when neither is known.
  uint64_t lengthSamples(int64_t contentLength) const;
  // Where the frame that holds sample frame `target` (of `length`) starts, as a body offset,
  // for a stream of `contentLength` bytes: the Xing or VBRI table for VBR, else proportional. The
  // caller resynchronises on the next frame after it.
  uint64_t byteForSample(uint64_t target, uint64_t length, int64_t contentLength) const;
  // The index (among the audio frames) of the frame found at body offset `frameOffset` after
  // a seek to sample `target`: exact by arithmetic for CBR, the target's frame for VBR.
  uint64_t frameIndexAt(uint64_t frameOffset, uint64_t target) const;
};

}  // namespace audio
