#include "server/AudioSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <mutex>

#include "platform/DebugLog.h"
#include "server/Mp3Layout.h"

namespace server {
namespace {

std::string Describe(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

void AudioSource::Release::operator()(AVFormatContext* format) const { avformat_close_input(&format); }
void AudioSource::Release::operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
void AudioSource::Release::operator()(SwrContext* swr) const { swr_free(&swr); }
void AudioSource::Release::operator()(AVPacket* packet) const { av_packet_free(&packet); }
void AudioSource::Release::operator()(AVFrame* frame) const { av_frame_free(&frame); }

AudioSource::AudioSource() = default;
AudioSource::~AudioSource() = default;

bool AudioSource::Open(const std::string& path, std::string& error) {
  // FFmpeg writes its complaints about damaged files to stderr; the reason a file fails is
  // logged once by the caller instead, and FFmpeg's own lines only come with --debug.
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(platform::IsDebugOutputEnabled() ? AV_LOG_WARNING : AV_LOG_QUIET); });
  AVFormatContext* format = nullptr;
  int code = avformat_open_input(&format, path.c_str(), nullptr, nullptr);
  if (code < 0) {
    error = "cannot open: " + Describe(code);
    return false;
  }
  format_.reset(format);
  code = avformat_find_stream_info(format, nullptr);
  if (code < 0) {
    error = "cannot read the stream: " + Describe(code);
    return false;
  }
  const AVCodec* decoder = nullptr;
  stream_ = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream_ < 0 || !decoder) {
    error = "no audio stream FFmpeg can decode";
    return false;
  }
  const AVStream* stream = format->streams[stream_];
  codec_.reset(avcodec_alloc_context3(decoder));
  if (!codec_ || avcodec_parameters_to_context(codec_.get(), stream->codecpar) < 0) {
    error = "cannot set up the decoder";
    return false;
  }
  codec_->pkt_timebase = stream->time_base;
  codec_->thread_count = 1;
  code = avcodec_open2(codec_.get(), decoder, nullptr);
  if (code < 0 || codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0) {
    error = "cannot open the decoder: " + Describe(code);
    return false;
  }

  // The length from the header: the stream's own, else the container's.
  const AVRational output{1, Mp3Layout::kSampleRate};
  samples_ = -1;
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
    samples_ = av_rescale_q(stream->duration, stream->time_base, output);
  } else if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
    samples_ = av_rescale_q(format->duration, AV_TIME_BASE_Q, output);
  }
  // An Ogg Opus stream's last granule position counts the decoder's pre-skip too, which the
  // decoder drops.
  if (stream->codecpar->codec_id == AV_CODEC_ID_OPUS && std::string(format->iformat->name) == "ogg" &&
      stream->codecpar->initial_padding > 0) {
    samples_ -= av_rescale(stream->codecpar->initial_padding, Mp3Layout::kSampleRate, 48000);
  }
  if (samples_ <= 0) {
    error = "the file does not say how long it is";
    return false;
  }

  channels_ = codec_->ch_layout.nb_channels == 1 ? 1 : 2;
  AVChannelLayout in{}, out{};
  if (codec_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&in, codec_->ch_layout.nb_channels);
  } else {
    av_channel_layout_copy(&in, &codec_->ch_layout);
  }
  av_channel_layout_default(&out, channels_);
  SwrContext* swr = nullptr;
  code = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, Mp3Layout::kSampleRate, &in, codec_->sample_fmt,
                             codec_->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
  swr_.reset(swr);
  if (code < 0 || swr_init(swr) < 0) {
    error = "cannot convert its samples";
    return false;
  }
  packet_.reset(av_packet_alloc());
  frame_.reset(av_frame_alloc());
  if (!packet_ || !frame_) {
    error = "out of memory";
    return false;
  }
  return true;
}

bool AudioSource::Damaged(int code, std::string& error) {
  if (++decodeErrors_ <= kMaxDecodeErrors) return false;
  error = "damaged audio data: " + Describe(code);
  return true;
}

bool AudioSource::Convert(const uint8_t** data, int count, std::vector<int16_t>& out, std::string& error) {
  const int room = swr_get_out_samples(swr_.get(), count);
  if (room < 0) {
    error = "cannot convert its samples";
    return false;
  }
  const size_t before = out.size();
  out.resize(before + static_cast<size_t>(room) * channels_);
  uint8_t* target = reinterpret_cast<uint8_t*>(out.data() + before);
  const int made = swr_convert(swr_.get(), &target, room, data, count);
  if (made < 0) {
    out.resize(before);
    error = "cannot convert its samples";
    return false;
  }
  out.resize(before + static_cast<size_t>(made) * channels_);
  return true;
}

bool AudioSource::Read(std::vector<int16_t>& out, bool& end, std::string& error) {
  end = false;
  if (!codec_) {
    error = "not open";
    return false;
  }
  for (;;) {
    int code = avcodec_receive_frame(codec_.get(), frame_.get());
    if (code == 0) {
      const bool ok = Convert(const_cast<const uint8_t**>(frame_->extended_data), frame_->nb_samples, out, error);
      av_frame_unref(frame_.get());
      return ok;
    }
    if (code == AVERROR_EOF) {
      // Decoded to the end: what the resampler still holds comes last.
      if (!Convert(nullptr, 0, out, error)) return false;
      end = true;
      return true;
    }
    if (code != AVERROR(EAGAIN)) {
      if (Damaged(code, error)) return false;
      continue;
    }
    if (demuxed_) {
      error = "the decoder stopped short";
      return false;
    }
    code = av_read_frame(format_.get(), packet_.get());
    if (code == AVERROR_EOF) {
      demuxed_ = true;
      avcodec_send_packet(codec_.get(), nullptr);  // drain
      continue;
    }
    if (code < 0) {
      error = "cannot read: " + Describe(code);
      return false;
    }
    if (packet_->stream_index == stream_) {
      code = avcodec_send_packet(codec_.get(), packet_.get());
      if (code < 0 && code != AVERROR(EAGAIN) && Damaged(code, error)) {
        av_packet_unref(packet_.get());
        return false;
      }
    }
    av_packet_unref(packet_.get());
  }
}

}  // namespace server
