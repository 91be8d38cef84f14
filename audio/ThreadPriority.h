#pragma once

namespace audio {

// Scheduling priority of the calling thread, as the player's thread uses them.
enum class ThreadPriority {
  kBelowNormal,  // while connecting and buffering
  kAboveNormal,  // once the device plays
};

// Sets the calling thread's priority where the system permits it. Where it does not, one
// debug line is written (once per process) and the thread goes on as it is.
void setCurrentThreadPriority(ThreadPriority priority);

}  // namespace audio
