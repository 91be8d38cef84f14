// Scan rate over a music folder (default: the demo library in the build tree): a full scan into
// a fresh index, then an incremental rescan of the unchanged folder.
//
//   vornalo-bench-scan [DIR]

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "server/LibraryScanner.h"

int main(int argc, char** argv) {
  const std::filesystem::path root = argc > 1 ? argv[1] : VORNALO_DEMO_LIBRARY_DIR;
  server::CatalogueIndex index;
  if (!index.Open(":memory:")) return 1;
  server::LibraryScanner scanner(index, std::filesystem::canonical(root));
  for (const char* pass : {"full scan", "rescan (unchanged)"}) {
    server::ScanStats stats;
    const auto start = std::chrono::steady_clock::now();
    if (!scanner.Scan(nullptr, stats)) {
      std::fprintf(stderr, "cannot scan %s\n", root.c_str());
      return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-20s %lld tracks (%lld tags read), %lld playlists in %.1f ms: %.0f files/s\n", pass,
                static_cast<long long>(stats.tracks), static_cast<long long>(stats.tagsRead),
                static_cast<long long>(stats.playlists), seconds * 1000,
                (stats.tracks + stats.playlists) / seconds);
  }
  return 0;
}
