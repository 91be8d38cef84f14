#include "tests/server/TestLibrary.h"

#include <fstream>

#include "tests/support/Mp3Synth.h"
#include "tools/demo/DemoLibraryWriter.h"

namespace servertest {

void TestLibrary::AddTrack(const TrackSpec& wanted) {
  demo::DemoTrack track;
  track.relativePath = wanted.path;
  track.title = wanted.title;
  track.artist = wanted.artist;
  track.album = wanted.album;
  track.genre = wanted.genre;
  track.composer = wanted.composer;
  track.piece.seed = seed_++;
  track.piece.seconds = wanted.seconds;
  track.format = wanted.format;
  const std::vector<uint8_t> bytes = demo::DemoLibraryWriter::Encode(track);
  const std::filesystem::path file = dir_.Path() / wanted.path;
  std::filesystem::create_directories(file.parent_path());
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < wanted.repeat; ++i) out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  demo::DemoLibraryWriter::WriteTags(file, track);
  if (wanted.pictureBytes > 0) testsupport::AddCoverPicture(file.string(), wanted.pictureBytes);
}

void TestLibrary::AddPlaylist(const std::string& path, const std::vector<std::string>& entries,
                              const std::string& date) {
  demo::DemoLibraryWriter::WritePlaylist(dir_.Path(), {path, "", entries, date});
}

void TestLibrary::AddDayAlbum(double seconds, int repeat) {
  for (const char* title : {"Dawn", "Noon", "Dusk"}) {
    AddTrack({std::string("tracks/") + title + ".mp3", title, "The Hours", "Day", "Ambient", "", seconds, repeat});
  }
  AddPlaylist("featured/A Day.m3u", {"../tracks/Dawn.mp3", "../tracks/Noon.mp3", "../tracks/Dusk.mp3"}, "2009-12-25");
}

}  // namespace servertest
