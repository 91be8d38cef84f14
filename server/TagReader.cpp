#include "server/TagReader.h"

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include "server/SourceFormats.h"

namespace server {
namespace {

std::string FirstValue(const TagLib::PropertyMap& properties, const char* key) {
  const auto it = properties.find(key);
  if (it == properties.end() || it->second.isEmpty()) return {};
  return it->second.front().to8Bit(true);
}

void ReadTags(const TagLib::PropertyMap& properties, TrackTags& tags) {
  tags.title = FirstValue(properties, "TITLE");
  tags.creator = FirstValue(properties, "ARTIST");
  tags.album = FirstValue(properties, "ALBUM");
  tags.genre = FirstValue(properties, "GENRE");
  tags.composer = FirstValue(properties, "COMPOSER");
}

}  // namespace

bool TagReader::Read(const std::string& path, TrackTags& tags) {
  tags = TrackTags{};
  if (SourceFormats::IsMp3(path)) {
    // TagLib::MPEG::File closes its file in its destructor: it is the RAII owner here.
    TagLib::MPEG::File file(path.c_str(), true, TagLib::AudioProperties::Average);
    if (!file.isValid()) return false;
    ReadTags(file.properties(), tags);
    // A file without a single MPEG audio frame is not a track, whatever its name says.
    const TagLib::AudioProperties* audio = file.audioProperties();
    if (!audio || audio->bitrate() <= 0) return false;
    tags.bitrateKbps = audio->bitrate();
    tags.lengthMs = audio->lengthInMilliseconds();
    return true;
  }
  // FLAC, Ogg, Opus, MP4 and WAV: TagLib picks the format by the name, then by the contents.
  const TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Average);
  if (file.isNull() || !file.file()->isValid()) return false;
  ReadTags(file.file()->properties(), tags);
  const TagLib::AudioProperties* audio = file.audioProperties();
  if (!audio || audio->sampleRate() <= 0 || audio->channels() <= 0) return false;
  tags.bitrateKbps = audio->bitrate();
  tags.lengthMs = audio->lengthInMilliseconds();
  return true;
}

}  // namespace server
