#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace server {

// One audio file decoded with FFmpeg's libraries (libavformat, libavcodec) and converted with
// libswresample to interleaved 16-bit samples at Mp3Layout::kSampleRate, mono or stereo (more
// channels are mixed down to two). Used by one thread at a time.
class AudioSource {
 public:
  AudioSource();
  ~AudioSource();
  AudioSource(const AudioSource&) = delete;
  AudioSource& operator=(const AudioSource&) = delete;

  // Opens path and reads its header. False, with the reason, when it is not audio FFmpeg can
  // decode or its length is not known.
  bool Open(const std::string& path, std::string& error);
  int Channels() const { return channels_; }
  // Samples per channel at the output rate, as the file's header gives the length.
  int64_t Samples() const { return samples_; }

  // Appends the next decoded samples (at least one frame's worth unless the end is reached) to
  // out. end turns true once everything is delivered. False on a read error or when the data
  // is too damaged to decode (more than kMaxDecodeErrors bad packets).
  bool Read(std::vector<int16_t>& out, bool& end, std::string& error);

  static constexpr int kMaxDecodeErrors = 8;

 private:
  struct Release {
    void operator()(AVFormatContext* format) const;
    void operator()(AVCodecContext* codec) const;
    void operator()(SwrContext* swr) const;
    void operator()(AVPacket* packet) const;
    void operator()(AVFrame* frame) const;
  };
  bool Convert(const uint8_t** data, int count, std::vector<int16_t>& out, std::string& error);
  bool Damaged(int code, std::string& error);

  std::unique_ptr<AVFormatContext, Release> format_;
  std::unique_ptr<AVCodecContext, Release> codec_;
  std::unique_ptr<SwrContext, Release> swr_;
  std::unique_ptr<AVPacket, Release> packet_;
  std::unique_ptr<AVFrame, Release> frame_;
  int stream_ = -1;
  int channels_ = 0;
  int64_t samples_ = 0;
  bool demuxed_ = false;  // the last packet went to the decoder
  int decodeErrors_ = 0;
};

}  // namespace server
