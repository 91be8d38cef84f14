#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tools/demo/Mp3Encoder.h"

namespace servertest {

struct TrackSpec {
  std::string path;  // library-relative
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
  std::string composer;
  double seconds = 0.5;
  int repeat = 1;  // the encoded stream written this many times over: a long file quickly
  demo::Mp3Format format{22050, 1, 32, -1};
  std::size_t pictureBytes = 0;  // a front cover of this size in the ID3v2 tag
};

// A music folder made at test time: real MP3 files (synthesized, encoded, tagged) and playlists.
class TestLibrary {
 public:
  const std::filesystem::path& Root() const { return dir_.Path(); }
  std::filesystem::path operator/(const std::string& relative) const { return dir_.Path() / relative; }

  void AddTrack(const TrackSpec& wanted);
  void AddPlaylist(const std::string& path, const std::vector<std::string>& entries, const std::string& date = "");
  // "Day" by The Hours: Dawn, Noon, Dusk of `seconds` each, featured as "A Day" (2009-12-25).
  void AddDayAlbum(double seconds, int repeat = 1);

 private:
  testsupport::TempDir dir_;
  uint32_t seed_ = 1;
};

}  // namespace servertest
