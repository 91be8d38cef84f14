#include "tests/audio/AudioTestSupport.h"

#include <algorithm>

#include "audio/Mp3FrameHeader.h"
#include "audio/Mp3StreamInfo.h"
#include "platform/audio/wav/WavPcmSink.h"
#include "tests/support/TempDir.h"

namespace audiotest {

std::vector<int16_t> SamplesFromBytes(const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::vector<int16_t> samples(length / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
  }
  return samples;
}

std::vector<int16_t> WavFileSamples(const std::filesystem::path& file) {
  const std::string wav = testsupport::ReadFile(file);
  const size_t header = platform::WavPcmSink::kHeaderBytes;
  return wav.size() > header ? SamplesFromBytes(wav.data() + header, wav.size() - header) : std::vector<int16_t>{};
}

ReferenceDecode DecodeMp3File(const std::filesystem::path& file) {
  const std::string mp3 = testsupport::ReadFile(file);
  const auto* bytes = reinterpret_cast<const uint8_t*>(mp3.data());
  const auto tag = mp3.size() >= 10 ? audio::Mp3FrameHeader::id3v2TagLength(bytes) : 0;
  ReferenceDecode decoded = DecodeWithLibmad(mp3.substr(tag), true);
  audio::Mp3FrameHeader header;
  uint32_t at = 0;
  const uint32_t window = uint32_t(std::min<size_t>(mp3.size() - tag, 8192));
  if (!audio::Mp3FrameHeader::findInBlock(bytes + tag, window, header, at)) return decoded;
  const auto info = audio::Mp3StreamInfo::parse(bytes + tag + at, window - at, header);
  if (!info.infoFrame) return decoded;
  const size_t frame = size_t(decoded.samplesPerFrame) * decoded.channels;
  size_t head = std::min(frame, decoded.samples.size());
  size_t length = decoded.samples.size() - head;
  if (info.hasLame) {
    head += size_t(info.startTrim()) * decoded.channels;
    length = std::min<size_t>(size_t(info.headerLength()) * decoded.channels,
                              decoded.samples.size() - std::min(head, decoded.samples.size()));
  }
  decoded.samples = std::vector<int16_t>(decoded.samples.begin() + long(head), decoded.samples.begin() + long(head + length));
  return decoded;
}

size_t MatchPlayedTrack(const std::vector<int16_t>& played, size_t at, const ReferenceDecode& reference,
                        bool mayStopEarly) {
  if (reference.samples.empty() || at > played.size()) return 0;
  size_t length = reference.samples.size();
  if (mayStopEarly) length = std::min(length, played.size() - at);
  if (length == 0 || at + length > played.size()) return 0;
  const bool same = std::equal(played.begin() + long(at), played.begin() + long(at + length), reference.samples.begin());
  return same ? at + length : 0;
}

const std::vector<FixtureKind>& FixtureKinds() {
  using Options = testsupport::Mp3EncodeOptions;
  // rate, channels, kbps, VBR quality, Info frame, picture bytes
  static const std::vector<FixtureKind> kinds = {
      {"vbrV2", Options{44100, 2, 128, 2, true, 0}, 6.0, 1},
      {"vbrV0at48k", Options{48000, 2, 128, 0, true, 0}, 3.0, 1},
      {"cbr128Picture600k", Options{44100, 2, 128, -1, true, 600 * 1024}, 5.0, 1},
      {"cbr320Picture600k", Options{44100, 2, 320, -1, true, 600 * 1024}, 3.0, 1},
      {"mpeg2at22050mono", Options{22050, 1, 64, -1, true, 0}, 4.0, 2},
      {"mpeg2at24000", Options{24000, 2, 64, -1, true, 0}, 3.0, 2},
      {"mpeg2at16000vbr", Options{16000, 1, 32, 4, true, 0}, 3.0, 2},
      {"mpeg25at11025", Options{11025, 1, 32, -1, true, 0}, 4.0, 3},
      {"mpeg25at12000", Options{12000, 2, 32, -1, true, 0}, 3.0, 3},
      {"mpeg25at8000", Options{8000, 1, 24, -1, true, 0}, 4.0, 3},
      // Frames too small for the Info frame: the encoder leaves it out.
      {"mpeg25at8000low", Options{8000, 1, 8, -1, true, 0}, 4.0, 3},
      {"cbrWithoutHeader", Options{44100, 2, 128, -1, false, 0}, 4.0, 1},
      {"vbrWithoutHeader", Options{44100, 2, 128, 2, false, 0}, 8.0, 1},
  };
  return kinds;
}

testsupport::EncodedMp3 EncodeFixture(const FixtureKind& kind) {
  return testsupport::EncodePcm(testsupport::TonePcm(kind.seconds, kind.options.sampleRate, kind.options.channels),
                                kind.options);
}

std::string RandomBytes(size_t count, uint32_t seed) {
  std::string bytes(count, 0);
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = char(seed >> 24);
  }
  return bytes;
}

std::string Id3Tag(size_t bodyBytes) {
  std::string tag = std::string("ID3\x04\0\0", 6);
  for (int shift : {21, 14, 7, 0}) tag += char((bodyBytes >> shift) & 0x7F);
  // Plenty of 0xFF bytes, so that the body is full of would-be frame syncs.
  std::string body = RandomBytes(bodyBytes, 99);
  for (size_t i = 0; i < body.size(); i += 7) body[i] = char(0xFF);
  return tag + body;
}

}  // namespace audiotest
