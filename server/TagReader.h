#pragma once

#include <string>

namespace server {

// What the index keeps of one audio file's tags and stream properties. Text is UTF-8.
struct TrackTags {
  std::string title;
  std::string creator;  // the artist
  std::string album;
  std::string genre;
  std::string composer;
  int bitrateKbps = 0;
  int lengthMs = 0;
};

// Reads the tags and audio properties of one file (MP3, FLAC, Ogg, Opus, MP4, WAV) through TagLib.
class TagReader {
 public:
  // False when the file cannot be opened or holds no audio TagLib recognises.
  static bool Read(const std::string& path, TrackTags& tags);
};

}  // namespace server
