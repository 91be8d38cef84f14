// Playlist files found in the library (.m3u, .m3u8, .pls): the text decodes to valid UTF-8
// unless it is an .m3u8 (kept as it is), every entry is one trimmed, non-empty line, and a
// file:// URI decodes to an absolute path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/M3uPlaylist.h"
#include "server/PlaylistFile.h"
#include "server/PlaylistText.h"
#include "server/PlsPlaylist.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const char* const kPlaylistPaths[] = {"list.m3u", "a/list.m3u8", "a/b/c/list.pls", "featured/x.m3u"};
  fuzz::FuzzInput input(data, size);
  const std::string playlistPath = kPlaylistPaths[input.TakeByte() % 4];
  const bool utf8ByName = playlistPath.size() > 5 && playlistPath.compare(playlistPath.size() - 5, 5, ".m3u8") == 0;
  const std::string text = server::PlaylistText::ToUtf8(
      std::string(reinterpret_cast<const char*>(input.data()), input.size()), utf8ByName);
  fuzz::Require(utf8ByName || server::PlaylistText::IsValidUtf8(text));
  const bool pls = playlistPath.back() == 's';
  const server::PlaylistContents playlist =
      pls ? server::PlsPlaylist::Parse(text, playlistPath) : server::M3uPlaylist::Parse(text, playlistPath);
  for (const std::string& entry : playlist.entries) {
    fuzz::Require(!entry.empty() && entry.find('\n') == std::string::npos);
    fuzz::Require(entry.front() != ' ' && entry.back() != ' ' && entry.back() != '\r');
    std::string path;
    if (server::PlaylistFile::FileUriPath(entry, path)) fuzz::Require(!path.empty() && path.front() == '/');
  }
  return 0;
}
