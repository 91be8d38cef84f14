#pragma once

#include <cstdint>
#include <string>

namespace server {

// One indexed audio file. path is relative to the library folder, '/'-separated.
struct TrackRow {
  int64_t id = 0;
  std::string path;
  std::string title;
  std::string creator;
  std::string album;
  std::string genre;
  std::string composer;
  int64_t bitrateKbps = 0;
  int64_t lengthMs = 0;
};

// One indexed playlist file (a CueList). itemCount counts its entries that are indexed tracks.
struct PlaylistRow {
  int64_t id = 0;
  std::string path;
  std::string title;
  std::string publishDate;  // YYYY-MM-DD, UTC, of the playlist file's modification time
  std::string uid;
  bool featured = false;
  int64_t itemCount = 0;
};

// An artist, album or genre name, the subject of a TextCue.
struct NameRow {
  int64_t id = 0;
  std::string name;
};

}  // namespace server
