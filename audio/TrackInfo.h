#pragma once

#include <string>

namespace audio {

// What the player screens show of the track being played.
struct TrackInfo {
  // Code units each string holds at most (256 with the terminator).
  static constexpr size_t kMaxLength = 255;

  std::u16string title;
  std::u16string creator;
  std::u16string album;
};

}  // namespace audio
