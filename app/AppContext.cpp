#include "app/AppContext.h"

#include "platform/NullPcmSink.h"
#include "platform/WavPcmSink.h"
#include "platform/sdl2/audio/SdlPcmSink.h"

std::unique_ptr<platform::PcmSink> MakePcmSink(const AppOptions& options) {
  switch (options.audio) {
    case AppOptions::AudioOutput::kNull:
      return std::make_unique<platform::NullPcmSink>();
    case AppOptions::AudioOutput::kWav:
      // One recording of every track played, in order.
      return std::make_unique<platform::WavPcmSink>(options.wavPath, 1.0, true);
    case AppOptions::AudioOutput::kSdl:
      break;
  }
  return std::make_unique<platform::SdlPcmSink>();
}
