#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where a program's sound goes, as chosen on its command line with --audio.
enum class PcmSinkKind { kSdl, kNull, kWav };

struct PcmSinkChoice {
  PcmSinkKind kind = PcmSinkKind::kSdl;
  std::string wavPath;  // kWav only
};

// Reads an --audio value: "sdl", "null" or "wav:FILE" with a non-empty FILE; nothing for any
// other text (the caller words the error).
std::optional<PcmSinkChoice> ParsePcmSinkChoice(std::string_view value);

}  // namespace platform
