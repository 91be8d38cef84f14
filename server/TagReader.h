#pragma once

#include <string>

namespace server {

// What the index keeps of one MP3 file's tags and stream properties. Text is UTF-8.
struct TrackTags {
  std::string title;
  std::string creator;  // the artist
  std::string album;
  std::string genre;
  std::string composer;
  int bitrateKbps = 0;
  int lengthMs = 0;
};

// Reads the ID3 tags and MPEG properties of one file through TagLib.
class TagReader {
 public:
  // False when the file cannot be opened or is not an MPEG audio file.
  static bool Read(const std::string& path, TrackTags& tags);
};

}  // namespace server
