#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "server/CatalogueIndex.h"
#include "server/LibraryWatcher.h"

namespace server {

struct ScanStats {
  int64_t tracks = 0;     // audio files now indexed
  int64_t tagsRead = 0;   // of which new or changed since the last scan
  int64_t failed = 0;     // audio files TagLib could not read (left out)
  int64_t playlists = 0;  // playlist files indexed
  int64_t pending = 0;    // files still being written, left for a later rescan
};

// Brings an index up to date with a library folder, all of it or the folders that changed, in
// one write transaction: readers on other connections see the index before or after a scan,
// never between. Incremental: a track whose path, size and modification time are unchanged keeps
// its row without its tags being read again. A file TagLib cannot read is logged once and not
// read again until it changes. Symbolic links are followed only when their target lies inside
// the library. One thread uses a scanner at a time.
class LibraryScanner {
 public:
  // (files done, files in total), called after each file.
  using Progress = std::function<void(int64_t done, int64_t total)>;
  using Log = std::function<void(const std::string& line)>;

  LibraryScanner(CatalogueIndex& index, std::filesystem::path root);

  // Where problems with single files are reported (default: the debug log).
  void SetLog(Log log) { log_ = std::move(log); }
  // Files modified less than this long ago are still being written: a rescan leaves them (and
  // an older row of the same path) alone and counts them in ScanStats::pending.
  void SetSettleTime(std::chrono::milliseconds settle) { settle_ = settle; }
  // While *cancel is true a scan stops at the next file and writes nothing (it fails).
  void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }

  // The whole library. False when the folder cannot be read or the index cannot be written.
  bool Scan(const Progress& progress, ScanStats& stats);
  // Only what changes names; stats counts only the files looked at.
  bool Rescan(const LibraryChanges& changes, ScanStats& stats);

  // An audio file (SourceFormats) or a playlist (.m3u, .m3u8, .pls), by its name.
  static bool IsLibraryFile(const std::filesystem::path& path);

 private:
  enum class Kind { kOther, kTrack, kPlaylist };
  struct Scope {
    std::string folder;  // library-relative, "" for the root
    bool recursive = false;
  };
  using FileList = std::vector<std::pair<std::filesystem::path, Kind>>;

  static Kind KindOf(const std::filesystem::path& path);
  bool Collect(const std::filesystem::path& root, const Scope& scope, FileList& files) const;
  bool Index(const std::filesystem::path& root, const std::vector<Scope>& scopes, const Progress& progress,
             ScanStats& stats);
  bool IndexFile(const std::filesystem::path& root, const std::filesystem::path& path, Kind kind,
                 int64_t generation, ScanStats& stats);
  void Report(const std::string& line) const;

  CatalogueIndex& index_;
  std::filesystem::path root_;
  Log log_;
  std::chrono::milliseconds settle_{0};
  const std::atomic<bool>* cancel_ = nullptr;
  // Files TagLib could not read, with the size and mtime they had then.
  std::map<std::string, std::pair<int64_t, int64_t>> unreadable_;
};

}  // namespace server
