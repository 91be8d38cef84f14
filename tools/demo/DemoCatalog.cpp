#include "tools/demo/DemoCatalog.h"

#include <cstdio>
#include <string>

namespace demo {
namespace {

struct Album {
  const char* artist;
  const char* album;
  const char* genre;
  const char* composer;
  double bpm;
  int rootMidi;
  bool minor;
  Mp3Format format;
  const char* titles[5];
};

// 44.1 kHz stereo CBR 128, 48 kHz stereo VBR, 32 kHz stereo, 22.05 kHz mono (MPEG-2),
// 16 kHz mono (MPEG-2).
const Album kAlbums[] = {
    {"Marrow & Tide", "Salt Lines", "Chamber Folk", "Ingrid Ølberg", 96, 57, false, {44100, 2, 128, -1},
     {"Harbour Lights", "Rope & Anchor", "The Long Swim", "Gull Song", "Saltwater Hymn"}},
    {"Léa Fjørd", "Nordlys Études", "Ambient Pop", "Léa Fjørd & Oskar Brenne", 78, 52, true, {48000, 2, 0, 4},
     {"Aurora Étude", "Snøfall", "Glass Fjord", "Polar Waltz", "Midnight Sun"}},
    {"The Quiet Orbit", "Paper Satellites", "Synthwave", "T. Halloway", 112, 50, true, {32000, 2, 96, -1},
     {"Paper Satellites", "Neon Cartographer", "Orbit Decay", "Static Bloom", "Last Transmission"}},
    {"Juniper Vale Trio", "Golden Hour Café", "Jazz & Soul", "Mika Sörensen", 88, 55, false, {22050, 1, 48, -1},
     {"Café au Lait", "Blue Hour Shuffle", "Sugar & Smoke", "Lantern Street", "Velvet Rain"}},
    {"Kōsei Drift", "Low Tide Sessions", "Lo-Fi Beats", "Ren Akiyama-Castell", 72, 53, false, {16000, 1, 32, -1},
     {"Low Tide", "Driftwood Tape", "Sleepy Ferry", "Rain on Tin", "Sandcastle Loop"}},
};

constexpr int kTracksPerAlbum = 5;
constexpr double kShortestSeconds = 15.0;
constexpr int kLengthSpread = 18;  // lengths run from 15 to 32 s

std::string TrackPath(const Album& album, int number) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%02d ", number);
  return std::string(album.artist) + "/" + album.album + "/" + prefix + album.titles[number - 1] + ".mp3";
}

// A playlist entry, written relative to a playlist in a first-level folder ("../") or at the top.
std::string Entry(int album, int number, bool inFolder) {
  return (inFolder ? "../" : "") + TrackPath(kAlbums[album], number);
}

}  // namespace

std::vector<DemoTrack> DemoCatalog::Tracks() {
  std::vector<DemoTrack> tracks;
  int index = 0;
  for (const Album& album : kAlbums) {
    for (int number = 1; number <= kTracksPerAlbum; ++number, ++index) {
      DemoTrack track;
      track.relativePath = TrackPath(album, number);
      track.title = album.titles[number - 1];
      track.artist = album.artist;
      track.album = album.album;
      track.genre = album.genre;
      track.composer = album.composer;
      track.trackNumber = number;
      track.format = album.format;
      track.piece.seed = static_cast<uint32_t>(index + 1);
      track.piece.bpm = album.bpm + 4 * (number % 3);
      track.piece.rootMidi = album.rootMidi + (number % 2 == 0 ? 5 : 0);
      track.piece.minor = album.minor;
      track.piece.seconds = kShortestSeconds + (index * 5) % kLengthSpread;
      track.piece.drums = number != 4;  // one quiet track an album
      tracks.push_back(track);
    }
  }
  return tracks;
}

std::vector<DemoPlaylist> DemoCatalog::Playlists() {
  return {
      {"featured/Morning Light.m3u8", "Morning Light",
       {Entry(0, 1, true), Entry(1, 1, true), Entry(3, 1, true), Entry(0, 4, true), Entry(1, 5, true),
        Entry(3, 2, true)},
       "2009-12-25"},
      {"featured/Night Drive.m3u", "Night Drive",
       {Entry(2, 2, true), Entry(2, 1, true), Entry(4, 3, true), Entry(2, 5, true), Entry(4, 4, true)},
       "2009-04-06"},
      {"featured/Café Favourites.m3u8", "Café Favourites",
       {Entry(3, 1, true), Entry(3, 3, true), Entry(0, 2, true), Entry(3, 5, true)},
       "2010-02-14"},
      {"Road Trip.m3u", "",
       {Entry(2, 3, false), Entry(0, 3, false), Entry(4, 1, false), Entry(1, 3, false), Entry(2, 4, false),
        Entry(0, 5, false), Entry(3, 4, false)},
       "2008-07-04"},
      {"mixes/Focus & Flow.m3u8", "Focus & Flow",
       {Entry(4, 2, true), Entry(1, 2, true), Entry(4, 5, true), Entry(1, 4, true)},
       "2011-09-01"},
  };
}

}  // namespace demo
