#include "server/CatalogueReplies.h"

#include <cstdio>

#include "server/XmlReplyWriter.h"

namespace server {
namespace {

constexpr const char* kRoot = "response";

void TrackFields(XmlReplyWriter& xml, const TrackRow& track, const std::string& base) {
  // location first: a client starts a new track's fields at its location.
  xml.Field("location", CatalogueReplies::StreamUrl(base, track.id));
  xml.Field("title", track.title);
  xml.Field("creator", track.creator);
  xml.Field("album", track.album);
  xml.Field("genre", track.genre);
  xml.Field("composer", track.composer);
  xml.Field("mp3_url_id", track.id);
}

}  // namespace

std::string CatalogueReplies::Error(const std::string& message) {
  XmlReplyWriter xml(kRoot);
  xml.Field("error", message);
  return xml.Finish();
}

std::string CatalogueReplies::Featured(int64_t total, const std::vector<PlaylistRow>& playlists,
                                       const std::string& base) {
  XmlReplyWriter xml(kRoot);
  xml.Field("total_cuelist_count", total);
  xml.Open("result_list");
  for (const PlaylistRow& playlist : playlists) {
    xml.Open("result_list_item");
    xml.Field("title", playlist.title);
    xml.Field("playlist_id", playlist.id);
    xml.Field("publish_date", playlist.publishDate);
    xml.Field("item_count", playlist.itemCount);
    xml.Field("location", PlaylistUrl(base, playlist.id));
    xml.Field("uid", playlist.uid);
    xml.Close("result_list_item");
  }
  xml.Close("result_list");
  return xml.Finish();
}

std::string CatalogueReplies::Tracks(const std::vector<TrackRow>& tracks, const std::string& base) {
  XmlReplyWriter xml(kRoot);
  xml.Open("tracklist");
  for (const TrackRow& track : tracks) {
    xml.Open("track");
    TrackFields(xml, track, base);
    xml.Close("track");
  }
  xml.Close("tracklist");
  return xml.Finish();
}

std::string CatalogueReplies::Search(const SearchResults& results, const std::string& base,
                                     const std::string& articleBase) {
  XmlReplyWriter xml(kRoot);
  xml.Field("filter_count_total", results.total);
  xml.Open("result_list");
  for (const NameRow& name : results.names) {
    xml.Open("result_list_item");
    xml.Field("media", "text");
    xml.Field("location", ArticleUrl(articleBase, name.name));
    xml.Field("title", name.name);
    xml.Close("result_list_item");
  }
  for (const PlaylistRow& playlist : results.playlists) {
    xml.Open("result_list_item");
    xml.Field("media", "playlist");
    xml.Field("location", PlaylistUrl(base, playlist.id));
    xml.Field("title", playlist.title);
    xml.Field("playlist_id", playlist.id);
    xml.Field("item_count", playlist.itemCount);
    xml.Close("result_list_item");
  }
  for (const TrackRow& track : results.tracks) {
    xml.Open("result_list_item");
    xml.Field("media", "audio");
    TrackFields(xml, track, base);
    xml.Field("song_id", track.id);
    xml.Close("result_list_item");
  }
  xml.Close("result_list");
  return xml.Finish();
}

std::string CatalogueReplies::M3u(const PlaylistRow& playlist, const std::vector<TrackRow>& tracks,
                                  const std::string& base) {
  // Line breaks in names would start a new entry; they become spaces.
  auto line = [](std::string text) {
    for (char& c : text) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
  };
  std::string text = "#EXTM3U\n#PLAYLIST:" + line(playlist.title) + "\n";
  for (const TrackRow& track : tracks) {
    text += "#EXTINF:" + std::to_string(track.lengthMs / 1000) + "," + line(track.creator) + " - " +
            line(track.title) + "\n" + StreamUrl(base, track.id) + "\n";
  }
  return text;
}

std::string CatalogueReplies::StreamUrl(const std::string& base, int64_t trackId) {
  return base + "/stream/" + std::to_string(trackId) + ".mp3";
}

std::string CatalogueReplies::PlaylistUrl(const std::string& base, int64_t playlistId) {
  return base + "/playlist/" + std::to_string(playlistId) + ".m3u";
}

std::string CatalogueReplies::ArticleUrl(const std::string& articleBase, const std::string& name) {
  std::string url = articleBase;
  const std::string clean = XmlReplyWriter::SanitizeText(name, name.size());
  for (const unsigned char c : clean) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '(' || c == ')' || c == ',';
    if (c == ' ') {
      url += '_';
    } else if (plain) {
      url += static_cast<char>(c);
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", c);
      url += escape;
    }
  }
  return url;
}

}  // namespace server
