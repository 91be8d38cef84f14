#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "platform/UniqueFd.h"

namespace server {

// What changed in a library since the last look, as library-relative folders ("" is the root).
struct LibraryChanges {
  std::set<std::string> folders;  // whose own files changed: rescan their files
  std::set<std::string> trees;    // folders that appeared or went away: rescan all below them
  bool everything = false;        // events were lost: rescan the whole library
  bool Empty() const { return folders.empty() && trees.empty() && !everything; }
};

// Watches a library folder and every folder below it with inotify, new folders included as
// they appear. Only events that can matter to the index are reported: audio and playlist files,
// and folders. Not thread-safe: one thread reads it.
class LibraryWatcher {
 public:
  // False when inotify is not available (the caller falls back to periodic rescans).
  bool Start(const std::filesystem::path& root);
  bool IsWatching() const { return static_cast<bool>(fd_); }
  // Readable when events are waiting; for poll().
  int Fd() const { return fd_.Get(); }
  // Reads every waiting event into changes; returns false when none was relevant.
  bool Drain(LibraryChanges& changes);

 private:
  void WatchTree(const std::filesystem::path& folder);
  void WatchFolder(const std::filesystem::path& folder);
  std::string Relative(const std::filesystem::path& path) const;

  platform::UniqueFd fd_;
  std::filesystem::path root_;
  std::map<int, std::filesystem::path> folders_;  // watch descriptor -> absolute folder
};

}  // namespace server
