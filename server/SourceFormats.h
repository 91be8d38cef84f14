#pragma once

#include <string>

namespace server {

// The audio files the library indexes, by file name. MP3 files are served as they are; every
// other format is served as MP3 made from it (see TranscodeCache).
class SourceFormats {
 public:
  // extension: with its dot, any case (".flac").
  static bool IsAudio(const std::string& extension);
  // True for a path whose stream is the file itself.
  static bool IsMp3(const std::string& path);
  // The extensions indexed, for help texts: ".mp3 .flac ...".
  static const char* List();
};

}  // namespace server
