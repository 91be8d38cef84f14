#pragma once

#include <string>

#include "playlist/PlaylistHost.h"

// Records what the playlist asks of its screen, one letter an event:
// W/w wait cursor on/off, P post 1726, R redraw, Z paging reset.
class RecordingPlaylistHost : public playlist::PlaylistHost {
 public:
  void beginWaitCursor() override { events += 'W'; }
  void endWaitCursor() override { events += 'w'; }
  void postTrackStarted() override { events += 'P'; }
  void redraw() override { events += 'R'; }
  std::int32_t rowsPerPage() const override { return rows; }
  bool isLaidOut() const override { return laidOut; }
  void resetPaging() override { events += 'Z'; }

  std::string events;
  std::int32_t rows = 4;
  bool laidOut = true;
};
