#pragma once

#include <string_view>

namespace platform {

// Debug string output: one line on stderr, written only when enabled (`--debug`).
// Safe to call from any thread; lines from different threads never interleave.
void DebugOutput(std::string_view line);

// printf-style convenience over DebugOutput.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

void SetDebugOutputEnabled(bool enabled);
bool IsDebugOutputEnabled();

}  // namespace platform
