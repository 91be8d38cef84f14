#pragma once

#include <cstdint>
#include <string>

namespace platform {

// What the desktop's media controls are told about the player: plain data the UI thread
// fills in and the media-control service reports.
struct MediaState {
  enum class Status { kStopped, kPlaying, kPaused };

  Status status = Status::kStopped;
  std::string trackId;  // a D-Bus object path naming the track; empty: no track
  std::string title;
  std::string artist;
  std::string album;
  std::int64_t lengthUs = 0;  // 0: not known
  std::int64_t positionUs = 0;
  bool canGoNext = false;
  bool canGoPrevious = false;
  bool canPlay = false;
  bool canPause = false;
  bool canSeek = false;

  bool operator==(const MediaState& other) const {
    return status == other.status && trackId == other.trackId && title == other.title && artist == other.artist &&
           album == other.album && lengthUs == other.lengthUs && positionUs == other.positionUs &&
           canGoNext == other.canGoNext && canGoPrevious == other.canGoPrevious && canPlay == other.canPlay &&
           canPause == other.canPause && canSeek == other.canSeek;
  }
};

// What the desktop's media controls ask of the player. kSeek carries an offset from the
// position and kSetPosition a position in the current track, both in microseconds.
enum class MediaCommand : std::uint32_t {
  kPlayPause, kPlay, kPause, kNext, kPrevious, kStop, kRaise, kQuit, kSeek, kSetPosition
};

}  // namespace platform
