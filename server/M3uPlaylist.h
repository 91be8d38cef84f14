#pragma once

#include <string>
#include <string_view>

#include "server/PlaylistContents.h"

namespace server {

// The .m3u / .m3u8 format: one entry a line; '#' lines are comments (#EXTM3U, #EXTINF, ...)
// except "#PLAYLIST:", the title. LF or CR LF line ends; a UTF-8 BOM is skipped.
class M3uPlaylist {
 public:
  // text: the file's contents as UTF-8; playlistPath: the file's library-relative path.
  static PlaylistContents Parse(std::string_view text, const std::string& playlistPath);
};

}  // namespace server
