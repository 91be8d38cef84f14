// vornalo-demo-library OUTDIR: writes the demo music library (MP3 tracks and playlists).

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tools/demo/DemoCatalog.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: vornalo-demo-library OUTDIR\n"
                 "Synthesizes the demo library: tagged MP3 tracks in five formats and .m3u/.m3u8\n"
                 "playlists (those under OUTDIR/featured/ are the featured ones). The same bytes on\n"
                 "every run.\n");
    return argc == 2 ? 0 : 2;
  }
  const std::filesystem::path root(argv[1]);
  int written = 0;
  for (const demo::DemoTrack& track : demo::DemoCatalog::Tracks()) {
    if (!demo::DemoLibraryWriter::WriteTrack(root, track)) {
      std::fprintf(stderr, "vornalo-demo-library: cannot write %s\n", track.relativePath.c_str());
      return 1;
    }
    ++written;
  }
  for (const demo::DemoPlaylist& playlist : demo::DemoCatalog::Playlists()) {
    if (!demo::DemoLibraryWriter::WritePlaylist(root, playlist)) {
      std::fprintf(stderr, "vornalo-demo-library: cannot write %s\n", playlist.relativePath.c_str());
      return 1;
    }
  }
  std::printf("vornalo-demo-library: %d tracks and %zu playlists in %s\n", written,
              demo::DemoCatalog::Playlists().size(), root.c_str());
  return 0;
}
