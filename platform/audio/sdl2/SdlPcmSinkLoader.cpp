#include <dlfcn.h>

#include "platform/audio/sdl2/SdlPcmSinkModule.h"

namespace platform {

std::unique_ptr<PcmSink> LoadSdlPcmSink(const std::string& directory, std::string& error) {
  const std::string path = directory + "/" + kSdlPcmSinkModuleName;
  // Never closed: the sink's code must outlive every sink.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    error = dlerror();
    return nullptr;
  }
  using Factory = PcmSink* (*)();
  auto factory = reinterpret_cast<Factory>(dlsym(module, kSdlPcmSinkFactoryName));
  if (!factory) {
    error = dlerror();
    return nullptr;
  }
  return std::unique_ptr<PcmSink>(factory());
}

}  // namespace platform
