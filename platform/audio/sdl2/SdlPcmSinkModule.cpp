// Entry point of the loadable form of the SDL audio backend, for programs that load SDL (and
// the many libraries it needs) only when they play through it.

#include "platform/audio/sdl2/SdlPcmSink.h"
#include "platform/audio/sdl2/SdlPcmSinkModule.h"

extern "C" __attribute__((visibility("default"))) platform::PcmSink* vornalo_create_sdl_pcm_sink() {
  return new platform::SdlPcmSink();
}
