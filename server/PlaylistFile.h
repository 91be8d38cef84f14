#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "server/PlaylistContents.h"

namespace server {

// Reads a playlist file of the library (.m3u, .m3u8, .pls) as other players write them and
// resolves its entries to the library-relative paths the index keys tracks by.
//
// An entry may be relative to the playlist's folder, an absolute path or a file:// URI
// (percent-encoded UTF-8). Once every symbolic link is followed it must lie inside the library:
// entries outside it are refused, entries that do not exist and other URIs are skipped, each
// with one line to the log.
class PlaylistFile {
 public:
  using Log = std::function<void(const std::string& line)>;

  static constexpr uintmax_t kMaxBytes = 4 * 1024 * 1024;

  enum class Entry { kInside, kOutside, kMissing, kNotAFile };

  // root: the library, canonical; relative: the playlist's path inside it. False when the file
  // cannot be read or is larger than kMaxBytes.
  static bool Read(const std::filesystem::path& root, const std::string& relative, PlaylistContents& contents,
                   const Log& log);

  // One entry as a playlist in folder (library-relative) names it; resolved gets the
  // library-relative path when the result is kInside.
  static Entry Resolve(const std::filesystem::path& root, const std::filesystem::path& folder,
                       const std::string& entry, std::string& resolved);

  // The local path a file:// URI names (percent-decoded); false for any other URI, or a host
  // other than "" or "localhost".
  static bool FileUriPath(const std::string& uri, std::string& path);
};

}  // namespace server
