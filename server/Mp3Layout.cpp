#include "server/Mp3Layout.h"

#include <algorithm>
#include <array>

namespace server {
namespace {

constexpr std::array<int, 14> kBitrates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kSampleRateIndex48k = 1;
constexpr int kJointStereo = 1;
constexpr int kMono = 3;
constexpr size_t kTocEntries = 100;
constexpr uint32_t kInfoFlags = 0x0F;  // frames, bytes, seek table, quality
constexpr int kVbrMethodCbr = 1;
constexpr int kSourceRate48k = 2;      // the extension's "source sample frequency" code
constexpr size_t kEncoderChars = 9;

void PutBigEndian(std::string& out, size_t at, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((value >> (8 * (bytes - 1 - i))) & 0xFF);
}

// CRC-16 with the polynomial 0x8005, bit-reflected, starting at 0: what the LAME extension's
// own checksum uses.
uint16_t Crc16(const std::string& bytes, size_t count) {
  uint16_t crc = 0;
  for (size_t i = 0; i < count; ++i) {
    crc ^= static_cast<unsigned char>(bytes[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

}  // namespace

bool Mp3Layout::IsBitrate(int kbps) {
  return std::find(kBitrates.begin(), kBitrates.end(), kbps) != kBitrates.end();
}

Mp3Layout Mp3Layout::For(int64_t samples, int channels, int bitrateKbps) {
  Mp3Layout layout;
  layout.samples = std::max<int64_t>(samples, 0);
  layout.channels = channels == 1 ? 1 : 2;
  layout.bitrateKbps = bitrateKbps;
  // Enough frames that the last source sample has passed the decoder's delay too.
  const int64_t needed = kEncoderDelay + layout.samples + kDecoderDelay;
  layout.frames = (needed + kSamplesPerFrame - 1) / kSamplesPerFrame;
  return layout;
}

std::string Mp3Layout::FrameHeader() const {
  const int index = static_cast<int>(std::find(kBitrates.begin(), kBitrates.end(), bitrateKbps) - kBitrates.begin()) + 1;
  std::string header(4, '\0');
  header[0] = static_cast<char>(0xFF);
  header[1] = static_cast<char>(0xFB);  // MPEG-1, Layer III, no CRC
  header[2] = static_cast<char>((index << 4) | (kSampleRateIndex48k << 2));
  header[3] = static_cast<char>(((channels == 1 ? kMono : kJointStereo) << 6) | 0x04);  // original
  return header;
}

std::string Mp3Layout::SilentFrame() const {
  // Zero side information: no main data, every granule decodes to silence.
  std::string frame(static_cast<size_t>(FrameBytes()), '\0');
  frame.replace(0, 4, FrameHeader());
  return frame;
}

std::string Mp3Layout::InfoFrame(const std::string& encoder) const {
  std::string frame = SilentFrame();
  size_t at = 4 + (channels == 1 ? 17 : 32);  // after the side information
  frame.replace(at, 4, "Info");
  PutBigEndian(frame, at + 4, kInfoFlags, 4);
  PutBigEndian(frame, at + 8, static_cast<uint64_t>(frames), 4);
  PutBigEndian(frame, at + 12, static_cast<uint64_t>(TotalBytes()), 4);
  // Constant bit rate: byte position is proportional to time.
  for (size_t i = 0; i < kTocEntries; ++i) frame[at + 16 + i] = static_cast<char>(i * 256 / kTocEntries);
  PutBigEndian(frame, at + 116, 0, 4);  // quality: not recorded
  at += 120;

  // The LAME extension.
  std::string name = encoder.substr(0, kEncoderChars);
  name.resize(kEncoderChars, ' ');
  frame.replace(at, kEncoderChars, name);
  frame[at + 9] = static_cast<char>(kVbrMethodCbr);  // revision 0, constant bit rate
  frame[at + 10] = 0;                                // lowpass: not recorded
  // at + 11 .. + 18: replay gain, none; + 19: flags and ATH type, none.
  frame[at + 20] = static_cast<char>(std::min(bitrateKbps, 255));
  const uint64_t padding = static_cast<uint64_t>(Padding());
  PutBigEndian(frame, at + 21, (static_cast<uint64_t>(kEncoderDelay) << 12) | (padding & 0xFFF), 3);
  frame[at + 24] = static_cast<char>(kSourceRate48k << 6);
  // + 25: MP3 gain; + 26 .. + 27: preset and surround, none.
  PutBigEndian(frame, at + 28, static_cast<uint64_t>(TotalBytes()), 4);
  // + 32 .. + 33: the CRC of the audio data, which is not known before it is made.
  const size_t crcAt = at + 34;
  PutBigEndian(frame, crcAt, Crc16(frame, crcAt), 2);
  return frame;
}

}  // namespace server
