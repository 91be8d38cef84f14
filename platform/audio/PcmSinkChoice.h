#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where a program's sound goes, as chosen on its command line with --audio.
enum class PcmSinkKind { kSdl, kNull, kWav, kWavRealtime };

struct PcmSinkChoice {
  PcmSinkKind kind = PcmSinkKind::kSdl;
  std::string wavPath;  // kWav and kWavRealtime only
};

// Reads an --audio value: "sdl", "null", "wav:FILE" (what is played, as fast as the program
// writes it) or "wav-realtime:FILE" (what a listener hears, in real time, silence included),
// with a non-empty FILE; nothing for any other text (the caller words the error).
std::optional<PcmSinkChoice> ParsePcmSinkChoice(std::string_view value);

}  // namespace platform
