#include "platform/audio/PcmSinkChoice.h"

namespace platform {

std::optional<PcmSinkChoice> ParsePcmSinkChoice(std::string_view value) {
  constexpr std::string_view kWavPrefix = "wav:";
  if (value == "sdl") return PcmSinkChoice{PcmSinkKind::kSdl, {}};
  if (value == "null") return PcmSinkChoice{PcmSinkKind::kNull, {}};
  if (value.substr(0, kWavPrefix.size()) == kWavPrefix && value.size() > kWavPrefix.size()) {
    return PcmSinkChoice{PcmSinkKind::kWav, std::string(value.substr(kWavPrefix.size()))};
  }
  return std::nullopt;
}

}  // namespace platform
