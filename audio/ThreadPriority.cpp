#include "audio/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"

namespace audio {
namespace {

// Nice values standing for the two priorities.
constexpr int kBelowNormalNice = 5;
constexpr int kAboveNormalNice = -5;

std::atomic<bool> reportedRefusal{false};

}  // namespace

void setCurrentThreadPriority(ThreadPriority priority) {
  const int nice = priority == ThreadPriority::kBelowNormal ? kBelowNormalNice : kAboveNormalNice;
  // On Linux a thread id given to setpriority names that thread alone.
  const id_t thread = id_t(syscall(SYS_gettid));
  if (setpriority(PRIO_PROCESS, thread, nice) != 0 && !reportedRefusal.exchange(true)) {
    platform::DebugPrintf("StreamPlayer: thread priority %d not permitted (%s)", nice,
                          std::strerror(errno));
  }
}

}  // namespace audio
