#pragma once

#include <cstdint>

namespace audio {

// The player's messages (window message numbers of the main window's table).
constexpr uint32_t kMsgPlayerTeardownDone = 11026;  // at the end of every teardown
constexpr uint32_t kMsgPlaybackStarted = 12024;     // output opened, decoding begins
constexpr uint32_t kMsgTrackEnded = 12025;          // ended and drained, or could not start
constexpr uint32_t kMsgStoppedAdvance = 12026;      // aborted by `stop` with reason 0
constexpr uint32_t kMsgStoppedNoAdvance = 12027;    // aborted by `stop` with reason 1

// Receives the stream player's messages. Called on the playback thread: an implementation
// only queues the message (as posting a window message does) and returns.
class PlayerNotifyTarget {
 public:
  virtual ~PlayerNotifyTarget() = default;
  virtual void postPlayerMessage(uint32_t message) = 0;
};

}  // namespace audio
