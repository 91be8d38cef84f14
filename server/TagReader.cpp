#include "server/TagReader.h"

#include <taglib/audioproperties.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

namespace server {
namespace {

std::string FirstValue(const TagLib::PropertyMap& properties, const char* key) {
  const auto it = properties.find(key);
  if (it == properties.end() || it->second.isEmpty()) return {};
  return it->second.front().to8Bit(true);
}

}  // namespace

bool TagReader::Read(const std::string& path, TrackTags& tags) {
  tags = TrackTags{};
  // TagLib::MPEG::File closes its file in its destructor: it is the RAII owner here.
  TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (!file.isValid()) return false;
  const TagLib::PropertyMap properties = file.properties();
  tags.title = FirstValue(properties, "TITLE");
  tags.creator = FirstValue(properties, "ARTIST");
  tags.album = FirstValue(properties, "ALBUM");
  tags.genre = FirstValue(properties, "GENRE");
  tags.composer = FirstValue(properties, "COMPOSER");
  // A file without a single MPEG audio frame is not a track, whatever its name says.
  const TagLib::AudioProperties* audio = file.audioProperties();
  if (!audio || audio->bitrate() <= 0) return false;
  tags.bitrateKbps = audio->bitrate();
  tags.lengthMs = audio->lengthInMilliseconds();
  return true;
}

}  // namespace server
