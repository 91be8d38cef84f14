#pragma once

#include <cstdint>

namespace playlist {

// What the Current Playlist needs of the screen that shows it. The current playlist screen
// implements it; tests use a recording one.
class PlaylistHost {
 public:
  virtual ~PlaylistHost() = default;

  virtual void beginWaitCursor() = 0;
  virtual void endWaitCursor() = 0;
  // Tells the main window that a track was started from the playlist (message 1726).
  virtual void postTrackStarted() = 0;
  virtual void redraw() = 0;
  // List rows shown on one page in the current orientation.
  virtual std::int32_t rowsPerPage() const = 0;
  // False until the screen has been laid out; the playlist is not saved before that.
  virtual bool isLaidOut() const = 0;
  // Back to the first page of the list.
  virtual void resetPaging() = 0;
};

// Message posted to the main window after the playlist started a track.
inline constexpr std::uint32_t kMsgPlaylistTrackStarted = 1726;

}  // namespace playlist
