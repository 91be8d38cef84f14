#include "server/M3uPlaylist.h"

#include <gtest/gtest.h>

namespace {

using server::M3uPlaylist;

struct EntryCase {
  const char* line;
  const char* resolved;  // "" when the entry must be left out
};

TEST(M3uPlaylistTest, EntriesResolveInsideTheLibraryOnly) {
  const EntryCase cases[] = {
      {"../Artist/Album/01 Song.mp3", "Artist/Album/01 Song.mp3"},
      {"Here.mp3", "featured/Here.mp3"},
      {"./sub/../Here.mp3", "featured/Here.mp3"},
      {"..\\Artist\\Song.mp3", "Artist/Song.mp3"},
      {"  ../Padded.mp3  ", "Padded.mp3"},
      {"../../etc/passwd", ""},
      {"../Artist/../../outside.mp3", ""},
      {"/etc/passwd", ""},
      {"\\etc\\passwd", ""},
      {"http://example.invalid/stream.mp3", ""},
      {"#EXTINF:12,Someone - Something", ""},
      {"..", ""},
  };
  for (const EntryCase& c : cases) {
    const M3uPlaylist playlist = M3uPlaylist::Parse(std::string(c.line) + "\n", "featured/List.m3u");
    if (*c.resolved) {
      ASSERT_EQ(playlist.entries.size(), 1u) << c.line;
      EXPECT_EQ(playlist.entries[0], c.resolved) << c.line;
    } else {
      EXPECT_TRUE(playlist.entries.empty()) << c.line << " -> " << (playlist.entries.empty() ? "" : playlist.entries[0]);
    }
  }
}

TEST(M3uPlaylistTest, TitleOrderBomAndLineEnds) {
  const M3uPlaylist plain = M3uPlaylist::Parse("\xEF\xBB\xBF" "a.mp3\r\n\r\n#EXTINF:1,x\r\nb.mp3\r\na.mp3", "Mix.m3u8");
  EXPECT_EQ(plain.title, "Mix");
  EXPECT_EQ(plain.entries, (std::vector<std::string>{"a.mp3", "b.mp3", "a.mp3"}));

  const M3uPlaylist named = M3uPlaylist::Parse("#EXTM3U\n#PLAYLIST: Night & Day \nx.mp3\n", "lists/n.m3u");
  EXPECT_EQ(named.title, "Night & Day");
  EXPECT_EQ(named.entries, std::vector<std::string>{"lists/x.mp3"});
}

}  // namespace
