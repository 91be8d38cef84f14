#include "audio/TrackDecoder.h"

namespace audio {

bool TrackDecoder::start(const Mp3StreamInfo& info) {
  info_ = info;
  framesDecoded_ = bytesDecoded_ = 0;
  bitrateVaries_ = false;
  trim_.reset(info.startTrim(), info.headerLength());
  decoder_ = Mp3Decoder::create();
  return decoder_ != nullptr;
}

bool TrackDecoder::restart(uint64_t frameIndex) {
  placing_ = true;
  restartIndex_ = frameIndex;
  sinceRestart_ = 0;
  trimFrom(frameIndex);
  decoder_ = Mp3Decoder::create();
  return decoder_ != nullptr;
}

void TrackDecoder::trimFrom(uint64_t frameIndex) {
  // Counted in decoded samples from the first audio frame: the track starts at `trim`. The
  // frame index is an estimate, so the end is found from the stream's end: the decoder's
  // output runs `padding - decoder delay` samples past the encoder's last sample.
  const uint64_t decoded = frameIndex * info_.header.samplesPerFrame;
  const uint64_t trim = info_.startTrim();
  const uint64_t skip = decoded < trim ? trim - decoded : 0;
  const uint32_t padding = info_.hasLame ? info_.encoderPadding : 0;
  trim_.resetTail(skip, padding > Mp3StreamInfo::kDecoderDelay ? padding - Mp3StreamInfo::kDecoderDelay : 0);
}

TrackDecoder::Step TrackDecoder::step(const uint8_t* window, uint32_t length, uint32_t* p, bool* pending,
                                      uint8_t* out, uint32_t room, uint32_t* produced) {
  *produced = 0;
  const Mp3FrameHeader& wanted = info_.header;
  const uint8_t* input = nullptr;
  uint32_t inputLength = 0;
  if (!*pending) {
    if (length - *p < 4) return Step::kNeedInput;  // too short for a header: kept for later
    if (!Mp3FrameHeader::looksLikeNextHeader(window + *p)) {
      for (; *p < length - 4; ++*p) {
        Mp3FrameHeader candidate;
        if (Mp3FrameHeader::parse(window + *p, candidate) && candidate.version == wanted.version &&
            candidate.layer == wanted.layer && candidate.sampleRate == wanted.sampleRate) {
          break;
        }
      }
    }
    input = window + *p;
    inputLength = length - *p;
  }
  const uint32_t frameStart = *p;
  uint32_t bytes = 0, consumed = 0;
  const int result = decoder_->decode(input, inputLength, out, room, bytes, consumed);
  if (result == Mp3Decoder::FatalError) {
    Mp3Decoder::reset(decoder_);
    if (!decoder_) return Step::kLost;
    *p += 1;
  } else if (result == Mp3Decoder::RecoverableError) {
    *p += 1;
  } else if (result == Mp3Decoder::Ok || result == Mp3Decoder::OutputFull) {
    if (placing_ && consumed > 0) {
      // The frames skipped since the restart, at their average length.
      const Mp3FrameHeader& h = info_.header;
      const double average = info_.vbrHeader && info_.frames > 0 && info_.bytes > 0
                                 ? double(info_.bytes) / info_.frames
                                 : double(h.samplesPerFrame) * h.bitrate * 125.0 / h.sampleRate;
      trimFrom(restartIndex_ + uint64_t(double(sinceRestart_ + frameStart) / average + 0.5));
      placing_ = false;
    }
    *p += consumed;
    if (consumed > 0) tally(consumed);
    *pending = result == Mp3Decoder::OutputFull;
    *produced = trim_.apply(out, bytes, 2 * wanted.channels);
  } else if (!*pending) {
    return Step::kNeedInput;
  }
  return Step::kContinue;
}

void TrackDecoder::tally(uint32_t consumed) {
  ++framesDecoded_;
  bytesDecoded_ += consumed;
  if (decoder_->frameBitrate() != info_.header.bitrate) bitrateVaries_ = true;
}

uint64_t TrackDecoder::lengthSamples(int64_t contentLength) const {
  if (info_.headerLength() > 0 || !bitrateVaries_ || bytesDecoded_ == 0) return info_.lengthSamples(contentLength);
  if (contentLength <= 0 || uint64_t(contentLength) <= info_.audioStart) return 0;
  const uint64_t audio = uint64_t(contentLength) - info_.audioStart;
  return audio * framesDecoded_ * info_.header.samplesPerFrame / bytesDecoded_;
}

}  // namespace audio
