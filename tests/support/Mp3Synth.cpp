#include "tests/support/Mp3Synth.h"

#include <mad.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/demo/Mp3Encoder.h"

namespace testsupport {
namespace {

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

std::vector<int16_t> Samples(const Mp3SynthOptions& options) {
  const long frames = long(options.seconds * options.sampleRate);
  std::vector<int16_t> samples;
  samples.reserve(size_t(frames) * size_t(options.channels));
  for (long frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < options.channels; ++channel) {
      samples.push_back(int16_t(std::lround(32767 * Tone(options, channel, frame))));
    }
  }
  return samples;
}

// Adds a front cover (a JPEG start, then noise full of would-be frame syncs) as ID3v2.3.
bool AddPicture(TagLib::MPEG::File& file, size_t pictureBytes) {
  std::string picture(pictureBytes, '\0');
  uint32_t seed = 12345;
  for (size_t i = 0; i < picture.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    picture[i] = i % 5 == 0 ? char(0xFF) : char(seed >> 24);
  }
  picture.replace(0, 4, "\xFF\xD8\xFF\xE0");
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
  if (tag->title().isEmpty()) tag->setTitle("Cover");
  auto* frame = new TagLib::ID3v2::AttachedPictureFrame;  // the tag owns it
  frame->setMimeType("image/jpeg");
  frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
  frame->setPicture(TagLib::ByteVector(picture.data(), static_cast<unsigned>(picture.size())));
  tag->addFrame(frame);
  return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3,
                   TagLib::File::DoNotDuplicate);
}

// `mp3` behind an ID3v2.3 tag (written by TagLib) with a title and a front cover.
std::string WithPicture(const std::string& mp3, size_t pictureBytes, size_t* tagBytes) {
  TagLib::ByteVectorStream stream(TagLib::ByteVector(mp3.data(), static_cast<unsigned>(mp3.size())));
  {
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    AddPicture(file, pictureBytes);
  }
  const TagLib::ByteVector* data = stream.data();
  std::string tagged(data->data(), data->size());
  *tagBytes = 0;
  if (tagged.size() >= 10 && tagged.compare(0, 3, "ID3") == 0) {
    size_t size = 0;
    for (int i = 6; i < 10; ++i) size = size << 7 | (uint8_t(tagged[size_t(i)]) & 0x7F);
    *tagBytes = 10 + size;
  }
  return tagged;
}

}  // namespace

std::string SynthesizeMp3(const Mp3SynthOptions& options) {
  const std::vector<int16_t> samples = Samples(options);
  demo::Mp3Encoder encoder({options.sampleRate, options.channels, options.bitrateKbps, options.vbr ? 4 : -1, true});
  const std::vector<uint8_t> mp3 = encoder.EncodeAll(samples);
  return std::string(mp3.begin(), mp3.end());
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


bool AddCoverPicture(const std::string& path, size_t pictureBytes) {
  TagLib::MPEG::File file(path.c_str(), false);
  return file.isValid() && AddPicture(file, pictureBytes);
}

std::vector<int16_t> TonePcm(double seconds, int sampleRate, int channels) {
  Mp3SynthOptions options;
  options.seconds = seconds;
  options.sampleRate = sampleRate;
  options.channels = channels;
  return Samples(options);
}

std::vector<int16_t> SweepPcm(double seconds, int sampleRate, int channels) {
  constexpr double kLow = 200.0, kHigh = 5000.0;
  const long frames = long(seconds * sampleRate);
  std::vector<int16_t> samples;
  samples.reserve(size_t(frames) * size_t(channels));
  double phase = 0;
  for (long frame = 0; frame < frames; ++frame) {
    // Up in the first half, down in the second; the phase is integrated, so no jumps.
    const double t = double(frame) / double(frames);
    const double shape = t < 0.5 ? 2 * t : 2 * (1 - t);
    const double frequency = kLow * std::pow(kHigh / kLow, shape);
    phase += 2 * kPi * frequency / sampleRate;
    for (int channel = 0; channel < channels; ++channel) {
      const double value = channel == 0 ? std::sin(phase) : std::sin(phase / 2);
      samples.push_back(int16_t(std::lround(0.5 * 32767 * value)));
    }
  }
  return samples;
}

EncodedMp3 EncodePcm(const std::vector<int16_t>& pcm, const Mp3EncodeOptions& options) {
  EncodedMp3 result;
  result.pcm = pcm;
  result.sampleRate = options.sampleRate;
  result.channels = options.channels;
  result.infoFrame = options.infoFrame;
  demo::Mp3Encoder encoder({options.sampleRate, options.channels, options.bitrateKbps, options.vbrQuality,
                            options.infoFrame});
  const std::vector<uint8_t> mp3 = encoder.EncodeAll(pcm);
  if (mp3.empty()) return result;
  result.encoderDelay = encoder.EncoderDelay();
  result.encoderPadding = encoder.EncoderPadding();
  result.infoFrame = encoder.WroteInfoFrame();
  result.bytes.assign(mp3.begin(), mp3.end());
  if (options.pictureBytes > 0) result.bytes = WithPicture(result.bytes, options.pictureBytes, &result.tagBytes);
  return result;
}

std::vector<EncodedMp3> EncodeConsecutiveTracks(const std::vector<int16_t>& pcm, int count,
                                                const Mp3EncodeOptions& options) {
  std::vector<EncodedMp3> tracks;
  const size_t frames = pcm.size() / size_t(options.channels);
  for (int i = 0; i < count; ++i) {
    const size_t from = frames * size_t(i) / size_t(count) * size_t(options.channels);
    const size_t to = frames * size_t(i + 1) / size_t(count) * size_t(options.channels);
    tracks.push_back(EncodePcm(std::vector<int16_t>(pcm.begin() + long(from), pcm.begin() + long(to)), options));
  }
  return tracks;
}

LibmadDecode DecodeWithLibmad(const std::string& mp3In, bool withEndGuard) {
  const std::string mp3 = withEndGuard ? mp3In + std::string(MAD_BUFFER_GUARD, 0) : mp3In;
  LibmadDecode result;
  mad_stream stream;
  mad_frame frame;
  mad_synth synth;
  mad_stream_init(&stream);
  mad_frame_init(&frame);
  mad_synth_init(&synth);
  mad_stream_buffer(&stream, reinterpret_cast<const unsigned char*>(mp3.data()), mp3.size());
  for (;;) {
    if (mad_frame_decode(&frame, &stream) != 0) {
      if (MAD_RECOVERABLE(stream.error)) continue;
      break;
    }
    mad_synth_frame(&synth, &frame);
    result.channels = synth.pcm.channels;
    result.sampleRate = synth.pcm.samplerate;
    result.samplesPerFrame = synth.pcm.length;
    ++result.frames;
    for (unsigned i = 0; i < synth.pcm.length; ++i) {
      for (unsigned c = 0; c < synth.pcm.channels; ++c) {
        int64_t value = int64_t(synth.pcm.samples[c][i]) + (1 << (MAD_F_FRACBITS - 16));
        value = std::clamp<int64_t>(value, -MAD_F_ONE, MAD_F_ONE - 1);
        result.samples.push_back(int16_t(value >> (MAD_F_FRACBITS + 1 - 16)));
      }
    }
  }
  mad_synth_finish(&synth);
  mad_frame_finish(&frame);
  mad_stream_finish(&stream);
  return result;
}

std::vector<int16_t> ReferenceDecode(const EncodedMp3& file) {
  const LibmadDecode decoded = DecodeWithLibmad(file.bytes.substr(file.tagBytes), true);
  if (!file.infoFrame) return decoded.samples;
  // The encoder wrote the Info frame first; its silence is no part of the track.
  const size_t channels = size_t(file.channels);
  const size_t head = size_t(decoded.samplesPerFrame) * channels + size_t(file.encoderDelay + kLibmadDelay) * channels;
  const size_t wanted = file.Frames() * channels;
  if (decoded.samples.size() < head + wanted) return {};
  return std::vector<int16_t>(decoded.samples.begin() + long(head), decoded.samples.begin() + long(head + wanted));
}

}  // namespace testsupport
