#pragma once

#include <functional>
#include <memory>

#include "platform/audio/PcmSink.h"
#include "platform/audio/PcmSinkChoice.h"

namespace platform {

// How fast the file backends consume audio (1.0 real time, 0 as fast as they can).
struct PcmSinkPacing {
  double nullSpeed = 1.0;
  double wavSpeed = 0.0;
  bool wavAppendOpens = false;  // later opens of the WAV sink go on in the same file
};

// The sink of `choice`: the null and WAV backends directly; the SDL2 one from `makeSdl`, so
// that each program decides whether it links SDL or loads it (null when it cannot).
std::unique_ptr<PcmSink> MakePcmSink(const PcmSinkChoice& choice, const PcmSinkPacing& pacing,
                                     const std::function<std::unique_ptr<PcmSink>()>& makeSdl);

}  // namespace platform
