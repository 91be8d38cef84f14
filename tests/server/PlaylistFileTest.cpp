#include "server/PlaylistFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using server::PlaylistContents;
using server::PlaylistFile;
using testsupport::WriteFile;

struct Case {
  const char* file;  // library-relative
  std::string text;
  std::vector<std::string> entries;
  std::vector<std::string> logged;  // a part of each expected log line, in order
  const char* title = nullptr;      // nullptr: the file name
};

// A library of empty files beside a folder outside it, with links both ways.
class PlaylistFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::canonical(library_.Path());
    outside_ = fs::canonical(other_.Path());
    for (const char* name : {"Artist/Album/01 Song.mp3", "With Space.mp3", "Caf\xC3\xA9/\xC3\x89t\xC3\xA9.flac",
                             "featured/keep.txt"}) {
      fs::create_directories((root_ / name).parent_path());
      WriteFile(root_ / name, "x");
    }
    WriteFile(outside_ / "secret.mp3", "x");
    fs::create_symlink(outside_, root_ / "escape");                             // leads out
    fs::create_symlink(root_ / "Artist/Album/01 Song.mp3", root_ / "inlink.mp3");  // stays in
    fs::create_symlink(root_, outside_ / "alias");                              // leads in
  }

  testsupport::TempDir library_, other_;
  fs::path root_, outside_;
};

TEST_F(PlaylistFileTest, EntriesAsOtherPlayersWriteThem) {
  const std::string root = root_.string(), outside = outside_.string();
  const std::vector<Case> cases = {
      {"featured/Exported.m3u8",
       "#EXTM3U\r\n#EXTINF:123,Someone - Song\r\n" + root + "/Artist/Album/01 Song.mp3\r\n\r\n# a comment\r\n",
       {"Artist/Album/01 Song.mp3"},
       {}},
      {"featured/Out.m3u", outside + "/secret.mp3\n" + root + "/../" + outside_.filename().string() + "/secret.mp3\n",
       {},
       {"is outside the library", "is outside the library"}},
      {"featured/Link.m3u",
       "../escape/secret.mp3\n" + root + "/escape/secret.mp3\n../../" + outside_.filename().string() + "/secret.mp3\n",
       {},
       {"outside", "outside", "outside"}},
      {"featured/Uri.m3u8",
       "file://" + root + "/With%20Space.mp3\nfile://localhost" + root + "/Caf%C3%A9/%C3%89t%C3%A9.flac\n"
       "FILE://" + root + "/With%20Space.mp3\nhttp://radio.invalid/stream.mp3\nfile://elsewhere/x.mp3\n",
       {"With Space.mp3", "Caf\xC3\xA9/\xC3\x89t\xC3\xA9.flac", "With Space.mp3"},
       {"not a local file", "not a local file"}},
      {"featured/Bom.m3u8", "\xEF\xBB\xBF..\\Artist\\Album\\01 Song.mp3\r\n", {"Artist/Album/01 Song.mp3"}, {}},
      // Latin-1 in .m3u is converted; in .m3u8 the same bytes stay as they are (and name nothing).
      {"Latin.m3u", "Caf\xE9\\\xC9t\xE9.flac\n#PLAYLIST:Caf\xE9 Mix\n", {"Caf\xC3\xA9/\xC3\x89t\xC3\xA9.flac"}, {},
       "Caf\xC3\xA9 Mix"},
      {"Latin.m3u8", "Caf\xE9\\\xC9t\xE9.flac\n", {}, {"does not exist"}},
      {"Mixed.pls", "[playlist]\r\nFile2=With Space.mp3\r\nTitle2=Two\r\nFile1=" + root +
           "/Artist/Album/01 Song.mp3\r\nLength1=12\r\nfile3=file://" + root +
           "/inlink.mp3\r\nFile4=gone.mp3\r\nNumberOfEntries=4\r\nVersion=2\r\n",
       {"Artist/Album/01 Song.mp3", "With Space.mp3", "inlink.mp3"},
       {"gone.mp3 does not exist"}},
      {"featured/Via alias.m3u", outside + "/alias/With Space.mp3\n ./../inlink.mp3 \nnothere.mp3\n",
       {"With Space.mp3", "inlink.mp3"},
       {"nothere.mp3 does not exist"}},
      {"featured/Named.m3u", "#EXTM3U\n#PLAYLIST: Night & Day \n../With Space.mp3\n", {"With Space.mp3"}, {},
       "Night & Day"},
  };
  for (const Case& c : cases) {
    WriteFile(root_ / c.file, c.text);
    std::vector<std::string> log;
    PlaylistContents contents;
    ASSERT_TRUE(PlaylistFile::Read(root_, c.file, contents, [&log](const std::string& line) { log.push_back(line); }))
        << c.file;
    EXPECT_EQ(contents.entries, c.entries) << c.file;
    EXPECT_EQ(contents.title, c.title ? std::string(c.title) : fs::path(c.file).stem().string()) << c.file;
    ASSERT_EQ(log.size(), c.logged.size()) << c.file << ": " << (log.empty() ? "" : log[0]);
    for (size_t i = 0; i < log.size(); ++i) {
      EXPECT_NE(log[i].find(c.logged[i]), std::string::npos) << log[i];
      EXPECT_NE(log[i].find(c.file), std::string::npos) << log[i];
    }
  }
}

}  // namespace
