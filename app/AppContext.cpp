#include "app/AppContext.h"

#include "platform/audio/PcmSinkFactory.h"
#include "platform/audio/sdl2/SdlPcmSink.h"

namespace app {

std::unique_ptr<platform::PcmSink> MakePcmSink(const AppOptions& options) {
  platform::PcmSinkPacing pacing;
  pacing.wavSpeed = 1.0;         // the client writes its WAV file at the pace it would play
  pacing.wavAppendOpens = true;  // one recording of every track played, in order
  return platform::MakePcmSink(platform::PcmSinkChoice{options.audio, options.wavPath}, pacing,
                               [] { return std::make_unique<platform::SdlPcmSink>(); });
}

}  // namespace app
