#include "server/Transcoder.h"

#include <algorithm>
#include <vector>

#include "server/LameEncoder.h"

namespace server {
namespace {

// Silence after the last sample, so that LAME's look-ahead has passed the end before its flush.
constexpr int64_t kTrailingSilence = 2 * Mp3Layout::kSamplesPerFrame;
constexpr int64_t kSilenceChunk = 4096;

}  // namespace

bool Transcoder::Open(const std::string& path, int bitrateKbps, std::string& error) {
  if (!Mp3Layout::IsBitrate(bitrateKbps)) {
    error = "no MPEG-1 Layer III bit rate: " + std::to_string(bitrateKbps);
    return false;
  }
  if (!source_.Open(path, error)) return false;
  layout_ = Mp3Layout::For(source_.Samples(), source_.Channels(), bitrateKbps);
  return true;
}

bool Transcoder::Run(const Sink& sink, const std::atomic<bool>* cancel, std::string& error) {
  LameEncoder encoder;
  if (!encoder.Open(layout_.channels, layout_.bitrateKbps, error)) return false;
  const int64_t total = layout_.TotalBytes();
  int64_t sent = 0;
  // Everything past the announced length (LAME's own flush frames) is dropped.
  auto emit = [&](std::string& bytes) {
    const size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(bytes.size()), total - sent));
    const bool ok = take == 0 || sink(bytes.data(), take);
    sent += static_cast<int64_t>(take);
    bytes.clear();
    if (!ok) error = "the stream's reader stopped";
    return ok;
  };
  auto cancelled = [&] {
    if (!cancel || !cancel->load()) return false;
    error = "cancelled";
    return true;
  };

  std::string out = layout_.InfoFrame(LameEncoder::Name());
  if (!emit(out)) return false;
  const int channels = layout_.channels;
  std::vector<int16_t> pcm;
  int64_t fed = 0;
  for (bool end = false; !end && fed < layout_.samples;) {
    if (cancelled()) return false;
    pcm.clear();
    if (!source_.Read(pcm, end, error)) return false;
    const int64_t take = std::min<int64_t>(static_cast<int64_t>(pcm.size()) / channels, layout_.samples - fed);
    if (take > 0 && !encoder.Encode(pcm.data(), take, out)) {
      error = "the MP3 encoder failed";
      return false;
    }
    fed += take;
    if (!emit(out)) return false;
  }
  shortfall_ = layout_.samples - fed;

  const std::vector<int16_t> silence(static_cast<size_t>(kSilenceChunk * channels), 0);
  for (int64_t left = layout_.samples - fed + kTrailingSilence; left > 0;) {
    if (cancelled()) return false;
    const int64_t take = std::min(left, kSilenceChunk);
    if (!encoder.Encode(silence.data(), take, out)) {
      error = "the MP3 encoder failed";
      return false;
    }
    left -= take;
    if (!emit(out)) return false;
  }
  if (!encoder.Flush(out)) {
    error = "the MP3 encoder failed";
    return false;
  }
  if (!emit(out)) return false;
  // Whole frames in, whole frames out: a stream LAME ended early is made up with silence.
  if (sent % layout_.FrameBytes() != 0) {
    error = "the MP3 encoder wrote a partial frame";
    return false;
  }
  while (sent < total) {
    std::string frame = layout_.SilentFrame();
    if (!emit(frame)) return false;
  }
  return true;
}

}  // namespace server
