// Playlist files found in the library: every entry the parser keeps is a relative path that
// stays inside the library.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "server/M3uPlaylist.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const kPlaylistPaths[] = {"list.m3u", "a/list.m3u8", "a/b/c/list.m3u", "featured/x.m3u"};
  fuzz::FuzzInput input(data, size);
  const char* playlistPath = kPlaylistPaths[input.TakeByte() % 4];
  const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
  const server::M3uPlaylist playlist = server::M3uPlaylist::Parse(text, playlistPath);
  for (const std::string& entry : playlist.entries) {
    fuzz::Require(!entry.empty() && entry.front() != '/');
    for (const auto& part : std::filesystem::path(entry)) fuzz::Require(part != "..");
  }
  return 0;
}
