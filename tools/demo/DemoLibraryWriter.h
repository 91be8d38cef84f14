#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/demo/Mp3Encoder.h"
#include "tools/demo/MusicSynth.h"

namespace demo {

// One track of a generated library. Text is UTF-8.
struct DemoTrack {
  std::string relativePath;  // under the library folder, '/'-separated
  std::string title;
  std::string artist;
  std::string album;
  std::string genre;
  std::string composer;
  int trackNumber = 0;
  PieceSpec piece;
  Mp3Format format;
};

// One playlist file. Entries are written as given (relative to the playlist's folder).
struct DemoPlaylist {
  std::string relativePath;
  std::string title;  // written as "#PLAYLIST:" when not empty
  std::vector<std::string> entries;
  std::string date;  // YYYY-MM-DD: the file's modification time (noon UTC); "" leaves it
};

// Writes tracks (synthesized, MP3-encoded, ID3v2-tagged) and playlists into a folder.
class DemoLibraryWriter {
 public:
  static bool WriteTrack(const std::filesystem::path& root, const DemoTrack& track);
  static bool WritePlaylist(const std::filesystem::path& root, const DemoPlaylist& playlist);
  // Sets the ID3v2 tags of an MP3 file (and removes any other tag).
  static bool WriteTags(const std::filesystem::path& file, const DemoTrack& track);
  // The MP3 bytes of a track, untagged.
  static std::vector<uint8_t> Encode(const DemoTrack& track);
};

}  // namespace demo
