#pragma once

#include <vector>

#include "tools/demo/DemoLibraryWriter.h"

namespace demo {

// The demo library: invented artists, albums, genres and composers (some with non-ASCII letters
// and an ampersand), five albums in five MP3 formats, and five playlists, three of them featured.
class DemoCatalog {
 public:
  static std::vector<DemoTrack> Tracks();
  static std::vector<DemoPlaylist> Playlists();
};

}  // namespace demo
