#pragma once

#include <string>
#include <string_view>

#include "server/PlaylistContents.h"

namespace server {

// The .pls format: an INI file whose [playlist] section holds File1, File2, ... (Title<n>,
// Length<n>, NumberOfEntries and Version are not needed). Entries come in the order of their
// numbers, whatever the order of the lines; the title is the file name.
class PlsPlaylist {
 public:
  static constexpr int kMaxEntryNumber = 100000;

  // text: the file's contents as UTF-8; playlistPath: the file's library-relative path.
  static PlaylistContents Parse(std::string_view text, const std::string& playlistPath);
};

}  // namespace server
