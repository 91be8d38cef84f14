#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "server/CatalogueIndex.h"

namespace server {

struct ScanStats {
  int64_t tracks = 0;     // MP3 files now indexed
  int64_t tagsRead = 0;   // of which new or changed since the last scan
  int64_t failed = 0;     // MP3 files TagLib could not read (left out)
  int64_t playlists = 0;  // playlist files indexed
};

// Brings an index up to date with a library folder. Incremental: a track whose path, size and
// modification time are unchanged keeps its row without its tags being read again. Symbolic
// links are followed only when their target lies inside the library.
class LibraryScanner {
 public:
  // (files done, files in total), called after each file.
  using Progress = std::function<void(int64_t done, int64_t total)>;

  LibraryScanner(CatalogueIndex& index, std::filesystem::path root);

  // False when the folder cannot be read or the index cannot be written.
  bool Scan(const Progress& progress, ScanStats& stats);

  // Tracks committed together; a scan of a large folder is visible to readers as it goes.
  static constexpr int64_t kFilesPerTransaction = 500;

 private:
  CatalogueIndex& index_;
  std::filesystem::path root_;
};

}  // namespace server
