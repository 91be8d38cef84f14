// Scan rate over a music folder: a full scan into a fresh index, an incremental rescan of the
// unchanged folder, then, after one file changed, the rescan of its folder (what the server
// does on an inotify event) beside a full rescan. Default: a generated library of 10,000
// tracks (kept in /tmp between runs).
//
//   vornalo-bench-scan [DIR | --generate N]

#include <utime.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "server/LibraryScanner.h"
#include "tools/bench/GeneratedLibrary.h"

namespace {

constexpr int kDefaultTracks = 10000;

double TimeMs(const std::function<bool()>& run) {
  const auto start = std::chrono::steady_clock::now();
  if (!run()) std::fprintf(stderr, "scan failed\n");
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* pass, const server::ScanStats& stats, double ms) {
  std::printf("%-32s %6lld tracks (%5lld tags read) %9.1f ms\n", pass, static_cast<long long>(stats.tracks),
              static_cast<long long>(stats.tagsRead), ms);
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path root;
  std::string changed;
  if (argc > 1 && std::string(argv[1]) != "--generate") {
    root = argv[1];
  } else {
    const int tracks = argc > 2 ? std::atoi(argv[2]) : kDefaultTracks;
    root = "/tmp/vornalo-bench-library-" + std::to_string(tracks);
    std::printf("generating %d tracks in %s\n", tracks, root.c_str());
    changed = bench::WriteGeneratedLibrary(root, tracks);
  }
  root = std::filesystem::canonical(root);
  server::CatalogueIndex index;
  if (!index.Open(":memory:")) return 1;
  server::LibraryScanner scanner(index, root);
  server::ScanStats stats;
  double ms = TimeMs([&] { return scanner.Scan(nullptr, stats); });
  Report("full scan", stats, ms);
  std::printf("%-32s %.0f files/s\n", "", (stats.tracks + stats.playlists) / (ms / 1000));
  ms = TimeMs([&] { return scanner.Scan(nullptr, stats); });
  Report("full rescan (unchanged)", stats, ms);
  if (changed.empty()) return 0;

  // One file changed: a new modification time, so its tags are read again.
  ::utime((root / changed).c_str(), nullptr);
  server::LibraryChanges changes;
  changes.folders.insert(std::filesystem::path(changed).parent_path().generic_string());
  ms = TimeMs([&] { return scanner.Rescan(changes, stats); });
  Report("rescan of the changed folder", stats, ms);
  ::utime((root / changed).c_str(), nullptr);
  ms = TimeMs([&] { return scanner.Scan(nullptr, stats); });
  Report("full rescan (one file changed)", stats, ms);
  return 0;
}
