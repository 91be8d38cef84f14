#include "platform/DebugLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace platform {
namespace {

std::atomic<bool> enabled{false};
// Serialises whole lines on stderr.
std::mutex outputLock;

}  // namespace

void SetDebugOutputEnabled(bool on) { enabled.store(on, std::memory_order_relaxed); }

bool IsDebugOutputEnabled() { return enabled.load(std::memory_order_relaxed); }

void DebugOutput(std::string_view line) {
  if (!IsDebugOutputEnabled()) return;
  std::string text(line);
  if (text.empty() || text.back() != '\n') text.push_back('\n');
  std::lock_guard<std::mutex> guard(outputLock);
  std::fwrite(text.data(), 1, text.size(), stderr);
}

void DebugPrintf(const char* format, ...) {
  if (!IsDebugOutputEnabled()) return;
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  DebugOutput(buffer);
}

}  // namespace platform
