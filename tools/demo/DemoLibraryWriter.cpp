#include "tools/demo/DemoLibraryWriter.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

namespace demo {
namespace {

namespace fs = std::filesystem;

constexpr int kNoonHour = 12;

bool WriteBytes(const fs::path& path, const void* data, size_t size) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out.flush());
}

TagLib::String Utf8(const std::string& text) { return TagLib::String(text, TagLib::String::UTF8); }

bool SetDate(const fs::path& path, const std::string& date) {
  struct tm utc {};
  if (sscanf(date.c_str(), "%d-%d-%d", &utc.tm_year, &utc.tm_mon, &utc.tm_mday) != 3) return false;
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  utc.tm_hour = kNoonHour;
  const time_t when = timegm(&utc);
  const struct timespec times[2] = {{when, 0}, {when, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace

std::vector<uint8_t> DemoLibraryWriter::Encode(const DemoTrack& track) {
  PieceSpec piece = track.piece;
  piece.sampleRate = track.format.sampleRate;
  piece.channels = track.format.channels;
  Mp3Encoder encoder(track.format);
  return encoder.EncodeAll(MusicSynth::Render(piece));
}

bool DemoLibraryWriter::WriteTags(const fs::path& file, const DemoTrack& track) {
  TagLib::MPEG::File mp3(file.c_str(), false);
  if (!mp3.isValid()) return false;
  TagLib::PropertyMap properties;
  auto set = [&properties](const char* key, const std::string& value) {
    if (!value.empty()) properties.replace(key, TagLib::StringList(Utf8(value)));
  };
  set("TITLE", track.title);
  set("ARTIST", track.artist);
  set("ALBUM", track.album);
  set("GENRE", track.genre);
  set("COMPOSER", track.composer);
  if (track.trackNumber > 0) set("TRACKNUMBER", std::to_string(track.trackNumber));
  mp3.setProperties(properties);
  return mp3.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                  TagLib::File::DoNotDuplicate);
}

bool DemoLibraryWriter::WriteTrack(const fs::path& root, const DemoTrack& track) {
  const std::vector<uint8_t> bytes = Encode(track);
  if (bytes.empty()) return false;
  const fs::path path = root / track.relativePath;
  return WriteBytes(path, bytes.data(), bytes.size()) && WriteTags(path, track);
}

bool DemoLibraryWriter::WritePlaylist(const fs::path& root, const DemoPlaylist& playlist) {
  std::string text = "#EXTM3U\n";
  if (!playlist.title.empty()) text += "#PLAYLIST:" + playlist.title + "\n";
  for (const std::string& entry : playlist.entries) text += entry + "\n";
  const fs::path path = root / playlist.relativePath;
  if (!WriteBytes(path, text.data(), text.size())) return false;
  return playlist.date.empty() || SetDate(path, playlist.date);
}

}  // namespace demo
