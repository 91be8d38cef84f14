#include "audio/Mp3StreamInfo.h"

#include <algorithm>
#include <cstring>

namespace audio {
namespace {

constexpr uint32_t kXingFrames = 0x1, kXingBytes = 0x2, kXingToc = 0x4, kXingQuality = 0x8;
// The VBRI header sits this far after the frame header, whatever the mode.
constexpr uint32_t kVbriOffset = 4 + 32;
constexpr uint32_t kVbriFieldsBytes = 26;
constexpr uint32_t kLameVersionBytes = 9;
constexpr uint32_t kLameDelayOffset = 21;  // from the "LAME" string to the delay/padding bytes
constexpr uint32_t kCrcBytes = 2;

uint32_t BigEndian(const uint8_t* p, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | p[i];
  return value;
}

// Bytes of Layer III side information after the header, by version and channel count.
uint32_t SideInfoBytes(const Mp3FrameHeader& header) {
  if (header.version == 1) return header.channels == 1 ? 17 : 32;
  return header.channels == 1 ? 9 : 17;
}

// The VBRI seek table after the header fields at `vbri`; nothing when it is cut short by `end`
// or makes no sense.
void ReadVbriTable(const uint8_t* vbri, const uint8_t* end, Mp3StreamInfo& info) {
  const uint32_t entries = BigEndian(vbri + 18, 2);
  const uint32_t scale = BigEndian(vbri + 20, 2);
  const uint32_t entryBytes = BigEndian(vbri + 22, 2);
  const uint32_t framesPerEntry = BigEndian(vbri + 24, 2);
  const uint8_t* table = vbri + kVbriFieldsBytes;
  if (entries == 0 || scale == 0 || entryBytes == 0 || entryBytes > 4 || framesPerEntry == 0) return;
  if (uint64_t(end - table) < uint64_t(entries) * entryBytes) return;  // cut short: no table
  info.vbriOffsets.reserve(entries + 1);
  uint64_t offset = 0;
  info.vbriOffsets.push_back(offset);
  for (uint32_t i = 0; i < entries; ++i, table += entryBytes) {
    offset += uint64_t(BigEndian(table, int(entryBytes))) * scale;
    info.vbriOffsets.push_back(offset);
  }
  info.vbriFramesPerEntry = framesPerEntry;
}

}  // namespace

Mp3StreamInfo Mp3StreamInfo::parse(const uint8_t* frame, uint32_t length, const Mp3FrameHeader& header) {
  Mp3StreamInfo info;
  info.header = header;
  if (header.layer != 3 || length < 4) return info;
  const bool crc = (frame[1] & 0x01) == 0;
  const uint32_t xingAt = 4 + (crc ? kCrcBytes : 0) + SideInfoBytes(header);
  if (xingAt + 8 <= length && (std::memcmp(frame + xingAt, "Xing", 4) == 0 || std::memcmp(frame + xingAt, "Info", 4) == 0)) {
    info.infoFrame = true;
    info.vbrHeader = frame[xingAt] == 'X';
    const uint32_t flags = BigEndian(frame + xingAt + 4, 4);
    uint32_t at = xingAt + 8;
    if (flags & kXingFrames) {
      if (at + 4 > length) return info;
      info.frames = BigEndian(frame + at, 4);
      at += 4;
    }
    if (flags & kXingBytes) {
      if (at + 4 > length) return info;
      info.bytes = BigEndian(frame + at, 4);
      at += 4;
    }
    if (flags & kXingToc) {
      if (at + kTocEntries > length) return info;
      std::memcpy(info.toc.data(), frame + at, kTocEntries);
      info.hasToc = true;
      at += kTocEntries;
    }
    if (flags & kXingQuality) at += 4;
    if (at + kLameDelayOffset + 3 <= length && std::memcmp(frame + at, "LAME", 4) == 0) {
      const uint8_t* d = frame + at + kLameDelayOffset;
      info.hasLame = true;
      info.encoderDelay = uint32_t(d[0]) << 4 | d[1] >> 4;
      info.encoderPadding = uint32_t(d[1] & 0x0F) << 8 | d[2];
    }
    static_assert(kLameVersionBytes < kLameDelayOffset, "the delay follows the version string");
    return info;
  }
  if (kVbriOffset + kVbriFieldsBytes <= length && std::memcmp(frame + kVbriOffset, "VBRI", 4) == 0) {
    const uint8_t* v = frame + kVbriOffset;
    info.infoFrame = true;
    info.vbrHeader = true;
    info.bytes = BigEndian(v + 10, 4);
    info.frames = BigEndian(v + 14, 4);
    ReadVbriTable(v, frame + length, info);
  }
  return info;
}

uint64_t Mp3StreamInfo::headerLength() const {
  if (frames == 0 || header.samplesPerFrame == 0) return 0;
  const uint64_t all = uint64_t(frames) * header.samplesPerFrame;
  const uint64_t trim = hasLame ? uint64_t(encoderDelay) + encoderPadding : 0;
  return all > trim ? all - trim : 0;
}

uint64_t Mp3StreamInfo::lengthSamples(int64_t contentLength) const {
  if (const uint64_t counted = headerLength()) return counted;
  if (header.bitrate == 0 || header.sampleRate == 0 || contentLength <= 0) return 0;
  if (uint64_t(contentLength) <= audioStart) return 0;
  uint64_t audio = uint64_t(contentLength) - audioStart;
  // An Info frame without a frame count is no audio either.
  if (infoFrame) audio -= std::min<uint64_t>(audio, header.frameLength);
  // bytes × 8 / (kbit/s × 1000) seconds, in sample frames.
  return audio * 8 * header.sampleRate / (uint64_t(header.bitrate) * 1000);
}

uint64_t Mp3StreamInfo::byteForSample(uint64_t target, uint64_t length, int64_t contentLength) const {
  const uint64_t first = audioStart + (infoFrame ? header.frameLength : 0);
  if (length == 0 || target == 0) return first;
  const uint64_t end = contentLength > 0 ? uint64_t(contentLength) : first;
  const uint64_t audio = bytes > 0 ? bytes : (end > audioStart ? end - audioStart : 0);
  const double fraction = std::min(1.0, double(target) / double(length));
  if (!vbriOffsets.empty() && header.samplesPerFrame > 0) {
    // The run of frames that holds the target's frame, and linear within it.
    const double frame = double(target + startTrim()) / header.samplesPerFrame;
    const double run = std::min(frame / vbriFramesPerEntry, double(vbriOffsets.size() - 1));
    const size_t index = std::min(size_t(run), vbriOffsets.size() - 2);
    const uint64_t low = vbriOffsets[index];
    const uint64_t high = vbriOffsets[index + 1];
    return std::max(first, audioStart + low + uint64_t(double(high - low) * (run - double(index))));
  }
  if (hasToc && vbrHeader) {
    // Linear between the table's entries, as its percent steps are coarse.
    const double percent = fraction * 100.0;
    const uint32_t index = std::min<uint32_t>(uint32_t(percent), kTocEntries - 1);
    const double low = toc[index];
    const double high = index + 1 < kTocEntries ? toc[index + 1] : 256.0;
    const double share = (low + (high - low) * (percent - index)) / 256.0;
    return std::max(first, audioStart + uint64_t(share * double(audio)));
  }
  const uint64_t frameAudio = audio > first - audioStart ? audio - (first - audioStart) : 0;
  return first + uint64_t(fraction * double(frameAudio));
}

uint64_t Mp3StreamInfo::frameIndexAt(uint64_t frameOffset, uint64_t target) const {
  if (header.samplesPerFrame == 0 || header.sampleRate == 0) return 0;
  if (vbrHeader || header.bitrate == 0) return (target + startTrim()) / header.samplesPerFrame;
  const uint64_t first = audioStart + (infoFrame ? header.frameLength : 0);
  if (frameOffset <= first) return 0;
  // Frames of one bitrate average samples/8 × bitrate / rate bytes (the padding bit evens it).
  const double average = double(header.samplesPerFrame) * header.bitrate * 125.0 / header.sampleRate;
  return uint64_t(double(frameOffset - first) / average + 0.5);
}

}  // namespace audio
