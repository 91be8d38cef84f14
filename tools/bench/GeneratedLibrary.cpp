#include "tools/bench/GeneratedLibrary.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "tools/demo/DemoLibraryWriter.h"

namespace bench {

std::string WriteGeneratedLibrary(const std::filesystem::path& root, int tracks) {
  demo::DemoTrack track;
  track.piece.seconds = 0.2;
  track.format = demo::Mp3Format{22050, 1, 32, -1};
  const std::vector<uint8_t> bytes = demo::DemoLibraryWriter::Encode(track);
  std::string first;
  for (int i = 0; i < tracks; ++i) {
    char relative[96];
    std::snprintf(relative, sizeof relative, "Artist %03d/Album %02d/%02d Song %d.mp3", i / 100, i / 10 % 10, i % 10, i);
    if (first.empty()) first = relative;
    const std::filesystem::path file = root / relative;
    if (std::filesystem::exists(file)) continue;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    track.title = "Song " + std::to_string(i);
    track.artist = "Artist " + std::to_string(i / 100);
    track.album = "Album " + std::to_string(i / 10);
    track.genre = i % 2 ? "Rock" : "Folk";
    demo::DemoLibraryWriter::WriteTags(file, track);
  }
  return first;
}

}  // namespace bench
