#pragma once

#include <memory>
#include <string>

#include "platform/audio/PcmSink.h"

namespace platform {

// The file name of the loadable SDL audio backend, built beside the programs that use it.
constexpr const char kSdlPcmSinkModuleName[] = "libvornalo_sdl_audio_module.so";
// The name of its factory, a C function returning a new `SdlPcmSink` the caller owns.
constexpr const char kSdlPcmSinkFactoryName[] = "vornalo_create_sdl_pcm_sink";

// Loads the module from `directory` and makes an SDL sink; null (with `error` set) when the
// module cannot be loaded. The module stays loaded for the life of the process.
std::unique_ptr<PcmSink> LoadSdlPcmSink(const std::string& directory, std::string& error);

}  // namespace platform
