#include "platform/audio/PcmSinkFactory.h"

#include "platform/audio/null/NullPcmSink.h"
#include "platform/audio/wav/RealtimeWavPcmSink.h"
#include "platform/audio/wav/WavPcmSink.h"

namespace platform {

std::unique_ptr<PcmSink> MakePcmSink(const PcmSinkChoice& choice, const PcmSinkPacing& pacing,
                                     const std::function<std::unique_ptr<PcmSink>()>& makeSdl) {
  switch (choice.kind) {
    case PcmSinkKind::kNull:
      return std::make_unique<NullPcmSink>(pacing.nullSpeed);
    case PcmSinkKind::kWav:
      return std::make_unique<WavPcmSink>(choice.wavPath, pacing.wavSpeed, pacing.wavAppendOpens);
    case PcmSinkKind::kWavRealtime:
      return std::make_unique<RealtimeWavPcmSink>(choice.wavPath);
    case PcmSinkKind::kSdl:
      break;
  }
  return makeSdl ? makeSdl() : nullptr;
}

}  // namespace platform
