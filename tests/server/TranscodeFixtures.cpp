#include "tests/server/TranscodeFixtures.h"

#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "platform/ChildProcess.h"
#include "tests/support/Mp3Synth.h"
#include "tools/demo/MusicSynth.h"

namespace servertest {
namespace {

constexpr int kRate = 48000;

uint32_t BigEndian(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void PutLittle(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

const std::vector<SourceFormat>& AllSourceFormats() {
  static const std::vector<SourceFormat> formats = {
      {"flac", ".flac", {"-c:a", "flac"}},
      {"vorbis", ".ogg", {"-c:a", "libvorbis", "-q:a", "6"}},
      {"opus", ".opus", {"-c:a", "libopus", "-b:a", "192k"}},
      {"aac", ".m4a", {"-c:a", "aac", "-b:a", "256k"}},
      {"alac", ".m4a", {"-c:a", "alac"}},
      {"wav", ".wav", {"-c:a", "pcm_s16le"}},
      // What most libraries hold: 44.1 kHz, here mono, resampled to 48 kHz on the way.
      {"mono44k", ".flac", {"-c:a", "flac", "-ar", "44100", "-ac", "1"}},
  };
  return formats;
}

std::vector<int16_t> MusicPcm(double seconds, uint32_t seed) {
  demo::PieceSpec piece;
  piece.seed = seed;
  piece.seconds = seconds;
  piece.sampleRate = kRate;
  piece.channels = 2;
  return demo::MusicSynth::Render(piece);
}

bool WriteSource(const std::filesystem::path& path, const SourceFormat& format, const std::vector<int16_t>& pcm,
                 const std::vector<std::string>& tags) {
  const std::filesystem::path wav = path.string() + ".input.wav";
  {
    std::ofstream out(wav, std::ios::binary);
    const uint32_t bytes = static_cast<uint32_t>(pcm.size() * 2);
    out.write("RIFF", 4);
    PutLittle(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittle(out, 16, 4);
    PutLittle(out, 1, 2);
    PutLittle(out, 2, 2);
    PutLittle(out, kRate, 4);
    PutLittle(out, kRate * 4, 4);
    PutLittle(out, 4, 2);
    PutLittle(out, 16, 2);
    out.write("data", 4);
    PutLittle(out, bytes, 4);
    out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(bytes));
  }
  std::vector<std::string> arguments = {"-nostdin", "-loglevel", "error", "-y", "-i", wav.string()};
  arguments.insert(arguments.end(), format.codec.begin(), format.codec.end());
  const char* keys[] = {"title", "artist", "album", "genre", "composer"};
  for (size_t i = 0; i < tags.size() && i < 5; ++i) {
    arguments.push_back("-metadata");
    arguments.push_back(std::string(keys[i]) + "=" + tags[i]);
  }
  arguments.push_back(path.string());
  platform::ChildProcess ffmpeg("ffmpeg", arguments, {}, {}, path.string() + ".log");
  if (!ffmpeg.Started()) return false;
  ffmpeg.Wait();
  std::error_code ignored;
  std::filesystem::remove(wav, ignored);
  std::filesystem::remove(path.string() + ".log", ignored);
  if (ffmpeg.ExitCode() != 0) return false;
  if (std::string(format.extension) != ".wav") return true;
  // ffmpeg's WAV writer has no composer field: the tags go into an ID3v2 chunk, as taggers do.
  TagLib::RIFF::WAV::File wave(path.c_str());
  TagLib::PropertyMap properties;
  for (size_t i = 0; i < tags.size() && i < 5; ++i) {
    properties.insert(TagLib::String(keys[i]).upper(), TagLib::StringList(TagLib::String(tags[i], TagLib::String::UTF8)));
  }
  wave.ID3v2Tag()->setProperties(properties);
  return wave.save();
}

DecodedStream DecodeStream(const std::string& mp3) {
  DecodedStream result;
  // The Info header sits after the side information of the first frame.
  const size_t infoAt = mp3.size() > 4 && (static_cast<unsigned char>(mp3[3]) >> 6) == 3 ? 4 + 17 : 4 + 32;
  if (mp3.size() > infoAt + 160 && mp3.compare(infoAt, 4, "Info") == 0) {
    result.info = true;
    result.frames = BigEndian(mp3, infoAt + 8, 4);
    result.bytes = BigEndian(mp3, infoAt + 12, 4);
    const uint32_t gapless = BigEndian(mp3, infoAt + 120 + 21, 3);
    result.delay = static_cast<int>(gapless >> 12);
    result.padding = static_cast<int>(gapless & 0xFFF);
  }
  const testsupport::LibmadDecode decoded = testsupport::DecodeWithLibmad(mp3, true);
  result.sampleRate = static_cast<int>(decoded.sampleRate);
  result.channels = static_cast<int>(decoded.channels);
  result.decodedFrames = decoded.frames;
  const std::vector<int16_t>& all = decoded.samples;
  // Cut the Info frame, then what the Info header says lies before and after the sound.
  const int64_t channels = std::max(result.channels, 1);
  const int64_t skip = (result.info ? 1152 : 0) + result.delay + testsupport::kLibmadDelay;
  const int64_t total = static_cast<int64_t>(all.size()) / channels;
  const int64_t end = total - std::max(0, result.padding - testsupport::kLibmadDelay);
  if (end > skip) result.pcm.assign(all.begin() + skip * channels, all.begin() + end * channels);
  return result;
}

std::vector<int16_t> MonoMix(const std::vector<int16_t>& stereo) {
  std::vector<int16_t> mono(stereo.size() / 2);
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<int16_t>((stereo[2 * i] + stereo[2 * i + 1]) / 2);
  return mono;
}

double Correlation(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n == 0) return 0;
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  for (size_t i = 0; i < n; ++i) {
    sa += a[i];
    sb += b[i];
    saa += double(a[i]) * a[i];
    sbb += double(b[i]) * b[i];
    sab += double(a[i]) * b[i];
  }
  const double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
  return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0;
}

}  // namespace servertest
