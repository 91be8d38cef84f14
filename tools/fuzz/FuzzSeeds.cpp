// Writes the harnesses' seed corpora, made with the tests' own synthesizers:
// fuzz_seeds <directory> creates <directory>/<harness>/seed-N for every harness.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/ItemRecords.h"
#include "platform/RegistryStore.h"
#include "playlist/PlaylistFile.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/TestPng.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& folder, const std::vector<std::string>& seeds) {
  fs::create_directories(folder);
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    std::ofstream(folder / ("seed-" + std::to_string(i)), std::ios::binary) << seeds[i];
  }
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds DIRECTORY\n");
    return 2;
  }
  const fs::path root = argv[1];

  Write(root / "catalogue_replies",
        {std::string("\0", 1) +
             "<search><filter_count_total>57</filter_count_total><result_list_item><media>audio</media>"
             "<location>http://x/a.mp3</location><title>Song &amp; more</title><mp3_url_id>9</mp3_url_id>"
             "</result_list_item><result_list_item><media>playlist</media><title>List</title>"
             "<playlist_id>p5</playlist_id><item_count>8</item_count></result_list_item></search>",
         "\x01<featured><total_cuelist_count>42</total_cuelist_count><result_list_item><title>T</title>"
         "<playlist_id>77</playlist_id><publish_date>2009-12-25</publish_date><item_count>12</item_count>"
         "<uid>u</uid></result_list_item></featured>",
         "\x02<playlist><track><location>http://x/1.mp3</location><title>One</title><album>A</album>"
         "<creator>C</creator><mp3_url_id>m1</mp3_url_id></track></playlist>"});

  Write(root / "header_scanner",
        {"\x03\x07\x01\x10HTTP/1.0 200 OK\r\nContent-Length: 1234\r\nX: y\r\n\r\nBODY",
         "\x01\x01\x02\x03HTTP/1.0 206 Partial Content\r\ncontent-range: bytes 5-9/10\r\ncontent-length: 5\r\n\r\nabcde"});

  std::vector<std::string> mp3;
  for (const auto& [rate, channels, kbps] : {std::tuple{44100, 2, 128}, std::tuple{22050, 1, 32}, std::tuple{32000, 2, 0}}) {
    mp3.push_back(std::string("\x40\x80\x13\xff", 4) + testsupport::SynthesizeMp3(0.2, rate, channels, kbps));
  }
  // An ID3v2 tag ahead of the audio.
  mp3.push_back(std::string("\x10\x20\x30\x40", 4) + std::string("ID3\x03\x00\x00\x00\x00\x00\x20", 10) +
                std::string(32, 'T') + testsupport::SynthesizeMp3(0.1, 44100, 2, 128));
  Write(root / "mp3_stream", mp3);

  catalogue::AudioCueRecord record;
  std::memset(&record, 0, sizeof record);
  catalogue::CopyToSlot(record.title, "Caf\xC3\xA9");
  catalogue::CopyToSlot(record.location, "http://x/1.mp3");
  const std::string playlist = playlist::playlistfile::Encode(u"(Custom Playlist)", {&record});
  Write(root / "playlist_file", {playlist, playlist.substr(0, 300)});

  platform::RegistryStore::Keys keys;
  keys["Software\\Vornalo"]["overlayColor"] = platform::RegistryValue::Dword(4);
  keys["Software\\Vornalo"]["skin"] = platform::RegistryValue::String(u"Default \u00e9");
  Write(root / "registry_store", {platform::RegistryStore::Serialize(keys)});

  std::vector<std::string> pngs;
  const fs::path scratch = root / "png-scratch.png";
  testsupport::WriteSolidRgbaPng(scratch.string(), 3, 2, 10, 20, 30, 128);
  pngs.push_back(ReadAll(scratch));
  testsupport::TestPngSpec palette;
  palette.width = 2;
  palette.height = 1;
  palette.bitDepth = 8;
  palette.colourType = 3;
  palette.samples = {0, 1};
  palette.palette = {255, 0, 0, 0, 0, 255};
  palette.trnsAlpha = {128};
  palette.gamma = 0.45455;
  testsupport::WriteTestPng(scratch.string(), palette);
  pngs.push_back(ReadAll(scratch));
  fs::remove(scratch);
  Write(root / "png", pngs);

  Write(root / "search_query", {"simon garfunkel", "\"quoted\" OR title:x* NEAR(a b)", "caf\xC3\xA9 ^del -mar"});
  Write(root / "byte_range", {std::string("\x00\x10\x00\x00", 4) + "bytes=0-99",
                              std::string("\x00\x10\x00\x00", 4) + "bytes=-500",
                              std::string("\x00\x10\x00\x00", 4) + "bytes=100-,200-300"});
  Write(root / "catalogue_api",
        {std::string("\x83\nq=caf\xC3\xA9 song\ns=0\nn=5\nfilter=all"), "\x81\ns=1\nn=100",
         "\x82\nplaylist_id=1", "\x84\nmp3_url_id=1\n:Host=[::1]:80", "\x05" "1\n:Range=bytes=10-20",
         "\x06" "1\n:Host=example.org", "\x80\n"});
  Write(root / "m3u_playlist", {"\x01#EXTM3U\n#PLAYLIST: Mine \r\nsong.mp3\n..\\up.mp3\n/abs.mp3\nhttp://x/y.mp3\nb/../c.mp3\n",
                                 "\x02[playlist]\r\nFile2=file:///m/a%20b.flac\r\nFile1=Caf\xE9.mp3\r\nNumberOfEntries=2\r\n"});
  Write(root / "script_line", {"tap 10 20", "menu \"New Search\"", "key Ctrl+Shift+F12", "text two words"});
  return 0;
}
