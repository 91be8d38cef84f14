#include "platform/audio/PcmSinkChoice.h"

#include <utility>

namespace platform {

std::optional<PcmSinkChoice> ParsePcmSinkChoice(std::string_view value) {
  if (value == "sdl") return PcmSinkChoice{PcmSinkKind::kSdl, {}};
  if (value == "null") return PcmSinkChoice{PcmSinkKind::kNull, {}};
  const std::pair<std::string_view, PcmSinkKind> files[] = {{"wav:", PcmSinkKind::kWav},
                                                            {"wav-realtime:", PcmSinkKind::kWavRealtime}};
  for (const auto& [prefix, kind] : files) {
    if (value.substr(0, prefix.size()) == prefix && value.size() > prefix.size()) {
      return PcmSinkChoice{kind, std::string(value.substr(prefix.size()))};
    }
  }
  return std::nullopt;
}

}  // namespace platform
