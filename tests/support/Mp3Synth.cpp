#include "tests/support/Mp3Synth.h"

#include <lame/lame.h>

#include <cmath>
#include <memory>
#include <vector>

namespace testsupport {
namespace {

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameCloser>;

// Samples encoded per call.
constexpr int kBlockFrames = 4608;
constexpr double kPi = 3.14159265358979323846;

double Tone(const Mp3SynthOptions& options, int channel, long frame) {
  const double t = double(frame) / options.sampleRate;
  const double frequency = channel == 0 ? 440.0 : 660.0;
  const double phase = std::sin(2 * kPi * frequency * t);
  const double swell = 0.75 + 0.25 * std::sin(2 * kPi * 0.5 * t);
  if (options.waveform == Mp3SynthOptions::Waveform::kSquare) {
    return options.amplitude * (phase >= 0 ? 1.0 : -1.0);
  }
  return options.amplitude * swell * phase;
}

}  // namespace

std::string SynthesizeMp3(const Mp3SynthOptions& options) {
  LamePtr lame(lame_init());
  if (!lame) return "";
  lame_set_in_samplerate(lame.get(), options.sampleRate);
  lame_set_out_samplerate(lame.get(), options.sampleRate);
  lame_set_num_channels(lame.get(), options.channels);
  lame_set_mode(lame.get(), options.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_quality(lame.get(), options.quality);
  lame_set_bWriteVbrTag(lame.get(), options.infoTag ? 1 : 0);
  if (options.vbr) {
    lame_set_VBR(lame.get(), vbr_default);
    lame_set_VBR_quality(lame.get(), 4.0f);
  } else {
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), options.bitrateKbps);
  }
  if (lame_init_params(lame.get()) < 0) return "";

  const long totalFrames = long(options.seconds * options.sampleRate);
  std::vector<short> left(kBlockFrames), right(kBlockFrames);
  std::vector<unsigned char> out(kBlockFrames * 5 / 4 + 7200);
  std::string mp3;
  for (long done = 0; done < totalFrames;) {
    const int n = int(std::min<long>(kBlockFrames, totalFrames - done));
    for (int i = 0; i < n; ++i) {
      left[i] = short(std::lround(32767 * Tone(options, 0, done + i)));
      right[i] = short(std::lround(32767 * Tone(options, 1, done + i)));
    }
    int bytes = lame_encode_buffer(lame.get(), left.data(),
                                   options.channels == 1 ? left.data() : right.data(), n,
                                   out.data(), int(out.size()));
    if (bytes < 0) return "";
    mp3.append(reinterpret_cast<const char*>(out.data()), size_t(bytes));
    done += n;
  }
  int bytes = lame_encode_flush(lame.get(), out.data(), int(out.size()));
  if (bytes < 0) return "";
  mp3.append(reinterpret_cast<const char*>(out.data()), size_t(bytes));
  if (options.infoTag) {
    // The Info frame is written last, over the frame reserved at the start.
    std::vector<unsigned char> tag(4096);
    size_t tagBytes = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
    if (tagBytes > 0 && tagBytes <= mp3.size()) mp3.replace(0, tagBytes, reinterpret_cast<const char*>(tag.data()), tagBytes);
  }
  return mp3;
}

std::string SynthesizeMp3(double seconds, int sampleRate, int channels, int bitrateKbps) {
  Mp3SynthOptions options;
  options.seconds = seconds;
  options.sampleRate = sampleRate;
  options.channels = channels;
  options.bitrateKbps = bitrateKbps;
  options.vbr = bitrateKbps == 0;
  return SynthesizeMp3(options);
}

}  // namespace testsupport
