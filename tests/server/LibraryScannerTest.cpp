#include "server/LibraryScanner.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "server/CatalogueQueries.h"
#include "server/LibraryPaths.h"
#include "server/SearchQuery.h"
#include "tests/server/TestLibrary.h"

namespace {

namespace fs = std::filesystem;
using servertest::TestLibrary;
using servertest::TrackSpec;

class LibraryScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.AddTrack({"A/one.mp3", "First Light", "Ann Arbor", "Dawn", "Folk", "Cee"});
    library_.AddTrack({"A/two.mp3", "Second Wind", "Ann Arbor", "Dawn", "Folk", "Cee"});
    library_.AddTrack({"B/three.mp3", "", "Bo Diddle", "", "", ""});  // no title: the file name
    library_.AddPlaylist("featured/Best.m3u", {"../B/three.mp3", "../A/missing.mp3", "../A/one.mp3"}, "2010-03-04");
    library_.AddPlaylist("Plain.m3u8", {"A/two.mp3"});
    ASSERT_TRUE(index_.Open(":memory:"));
  }

  server::ScanStats Scan() {
    server::LibraryScanner scanner(index_, fs::canonical(library_.Root()));
    server::ScanStats stats;
    EXPECT_TRUE(scanner.Scan(nullptr, stats));
    return stats;
  }

  int64_t IdOf(const std::string& title) {
    const auto rows = queries_.SearchTracks(server::SearchQuery::MatchExpression(title), 0, 10);
    return rows.size() == 1 ? rows[0].id : -1;
  }

  TestLibrary library_;
  server::CatalogueIndex index_;
  server::CatalogueQueries queries_{index_.Database()};
};

TEST_F(LibraryScannerTest, IndexesTagsPlaylistsAndFeaturedFolder) {
  int64_t lastDone = 0, calls = 0, total = 0;
  server::LibraryScanner scanner(index_, fs::canonical(library_.Root()));
  server::ScanStats stats;
  ASSERT_TRUE(scanner.Scan(
      [&](int64_t done, int64_t all) {
        EXPECT_EQ(done, lastDone + 1);
        lastDone = done, total = all, ++calls;
      },
      stats));
  EXPECT_EQ(stats.tracks, 3);
  EXPECT_EQ(stats.tagsRead, 3);
  EXPECT_EQ(stats.playlists, 2);
  EXPECT_EQ(calls, 5);
  EXPECT_EQ(lastDone, total);

  const auto first = queries_.TrackById(IdOf("first light"));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->creator, "Ann Arbor");
  EXPECT_EQ(first->album, "Dawn");
  EXPECT_EQ(first->genre, "Folk");
  EXPECT_EQ(first->composer, "Cee");
  EXPECT_GT(first->lengthMs, 300);
  EXPECT_EQ(first->bitrateKbps, 32);
  EXPECT_NE(IdOf("three"), -1) << "an untitled track is found by its file name";

  ASSERT_EQ(queries_.CountFeatured(), 1);
  const server::PlaylistRow best = queries_.Featured(0, 10).at(0);
  EXPECT_EQ(best.title, "Best");
  EXPECT_EQ(best.publishDate, "2010-03-04");
  EXPECT_EQ(best.itemCount, 2) << "the entry without a file is not counted";
  EXPECT_EQ(best.uid.size(), 16u);
  std::vector<std::string> order;
  for (const auto& track : queries_.PlaylistTracks(best.id)) order.push_back(track.path);
  EXPECT_EQ(order, (std::vector<std::string>{"B/three.mp3", "A/one.mp3"}));
  EXPECT_EQ(queries_.CountPlaylists(server::SearchQuery::MatchExpression("plain")), 1);
  EXPECT_EQ(queries_.CountNames(server::SearchQuery::MatchExpression("ann")), 1);
  EXPECT_EQ(queries_.CountNames(server::SearchQuery::MatchExpression("folk")), 1);
}

TEST_F(LibraryScannerTest, RescanIsIncrementalAndFollowsChanges) {
  Scan();
  const int64_t firstId = IdOf("first light");
  const int64_t secondId = IdOf("second wind");

  const std::string light = server::SearchQuery::MatchExpression("light");
  EXPECT_EQ(queries_.CountTracks(light), 1);
  const server::ScanStats again = Scan();
  EXPECT_EQ(again.tracks, 3);
  EXPECT_EQ(again.tagsRead, 0) << "unchanged files are not read again";
  EXPECT_EQ(IdOf("first light"), firstId);

  // Retag one file (a new size and mtime) and remove another.
  library_.AddTrack({"A/one.mp3", "Renamed Light", "Ann Arbor", "Dawn", "Folk", "Cee", 0.7});
  fs::last_write_time(library_ / "A/one.mp3", fs::last_write_time(library_ / "A/one.mp3") + std::chrono::seconds(2));
  fs::remove(library_ / "A/two.mp3");
  const server::ScanStats changed = Scan();
  EXPECT_EQ(changed.tracks, 2);
  EXPECT_EQ(changed.tagsRead, 1);
  EXPECT_EQ(IdOf("renamed"), firstId) << "a changed file keeps its id";
  EXPECT_EQ(IdOf("first light"), -1);
  EXPECT_EQ(queries_.CountTracks(light), 1);
  library_.AddTrack({"C/four.mp3", "Low Light", "Cy", "", "", ""});
  Scan();
  EXPECT_EQ(queries_.CountTracks(light), 2) << "recounted after a change on the same connection";
  fs::remove(library_ / "C/four.mp3");
  EXPECT_FALSE(queries_.TrackById(secondId));
  EXPECT_EQ(queries_.CountNames(server::SearchQuery::MatchExpression("ann")), 1);

  fs::remove(library_ / "featured/Best.m3u");
  Scan();
  EXPECT_EQ(queries_.CountFeatured(), 0);
}

TEST_F(LibraryScannerTest, OnlyMp3FilesInsideTheLibraryAreIndexed) {
  TestLibrary outside;
  outside.AddTrack({"secret.mp3", "Secret Outside", "X", "", "", ""});
  fs::create_symlink(outside / "secret.mp3", library_ / "A/link.mp3");
  fs::create_directory_symlink(outside.Root(), library_ / "B/outdir");
  fs::create_symlink(library_ / "A/one.mp3", library_ / "B/inside-link.mp3");
  testsupport::WriteFile(library_ / "A/broken.mp3", "not an mp3 at all");
  testsupport::WriteFile(library_ / "A/cover.jpg", "jpeg");
  const server::ScanStats stats = Scan();
  EXPECT_EQ(IdOf("secret outside"), -1);
  EXPECT_EQ(queries_.CountTracks(server::SearchQuery::MatchExpression("broken")), 0);
  EXPECT_EQ(stats.tracks, 4) << "three files and the link that stays inside";
  EXPECT_EQ(stats.failed, 1) << "the broken file, not the picture";
}

// A file swapped for a link out of the library after the scan is still not served.
TEST(LibraryPathsTest, OpensOnlyRegularFilesInsideTheLibrary) {
  servertest::TestLibrary library;
  servertest::TestLibrary outside;
  testsupport::WriteFile(library / "in.mp3", "inside");
  testsupport::WriteFile(outside / "secret.mp3", "secret");
  fs::create_directory(library / "dir.mp3");
  fs::create_symlink(outside / "secret.mp3", library / "swapped.mp3");
  const fs::path root = fs::canonical(library.Root());
  struct Case {
    const char* relative;
    bool opens;
  };
  const Case cases[] = {{"in.mp3", true},         {"swapped.mp3", false}, {"dir.mp3", false},
                        {"../secret.mp3", false}, {"", false},            {"missing.mp3", false}};
  for (const Case& c : cases) {
    int64_t size = -1;
    const platform::UniqueFd fd = server::LibraryPaths::OpenInside(root, c.relative, size);
    EXPECT_EQ(fd.IsValid(), c.opens) << c.relative;
    EXPECT_EQ(size, c.opens ? 6 : 0) << c.relative;
  }
}

}  // namespace
