#include "server/SourceFormats.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace server {
namespace {

// FLAC, Ogg Vorbis (and FLAC or Opus in Ogg), Opus, AAC and ALAC in MP4, WAV.
constexpr std::array<std::string_view, 8> kTranscoded = {".flac", ".ogg", ".oga", ".opus", ".m4a", ".mp4",
                                                         ".wav", ".wave"};

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool SourceFormats::IsAudio(const std::string& extension) {
  const std::string ext = Lowercase(extension);
  if (ext == ".mp3") return true;
  for (const std::string_view known : kTranscoded) {
    if (ext == known) return true;
  }
  return false;
}

bool SourceFormats::IsMp3(const std::string& path) {
  return Lowercase(std::filesystem::path(path).extension().string()) == ".mp3";
}

const char* SourceFormats::List() { return ".mp3 .flac .ogg .oga .opus .m4a .mp4 .wav .wave"; }

}  // namespace server
