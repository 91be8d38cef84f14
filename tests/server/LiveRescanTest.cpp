// The index follows the library while the server runs; searches see it before or after a rescan.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "server/SqliteDatabase.h"
#include "tests/server/LiveServer.h"
#include "tests/server/TestLibrary.h"
#include "tests/server/XmlProbe.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

namespace fs = std::filesystem;
using namespace servertest;
using std::chrono::milliseconds;

// A change must show within this long (the quiet time below plus the rescan).
constexpr milliseconds kSeen{5000};

class LiveRescanTest : public ::testing::Test {
 protected:
  void StartWith(milliseconds settle) {
    server::ServerOptions options;
    options.library = library_.Root();
    options.apiKey = kTestKey;
    options.settle = settle;
    server_ = std::make_unique<server::CatalogueServer>();
    ASSERT_TRUE(server_->Start(options));
  }

  XmlProbe Search(const std::string& word, int kinds = 7) {
    const HttpResult reply = Get(server_->Port(), SearchTarget(word, 0, 10, kinds));
    EXPECT_EQ(reply.status, 200) << word;
    return XmlProbe::Parse(reply.body);
  }
  // filter_count_total of a search; -1 when the reply has none.
  int Total(const std::string& word, int kinds = 7) {
    const auto totals = Search(word, kinds).Texts("filter_count_total");
    return totals.size() == 1 ? std::atoi(totals[0].c_str()) : -1;
  }
  bool Shows(const std::string& word, int total, int kinds = 7) {
    return testsupport::WaitUntil([&] { return Total(word, kinds) == total; }, kSeen);
  }

  TestLibrary library_;
  std::unique_ptr<server::CatalogueServer> server_;
};

TEST_F(LiveRescanTest, FilesAndPlaylistsFollowTheLibrary) {
  library_.AddTrack({"A/one.mp3", "Orchard Song", "Ann", "Trees", "Folk", ""});
  library_.AddTrack({"A/two.mp3", "Quarry Song", "Ann", "Stones", "Folk", ""});
  library_.AddPlaylist("Walk.m3u", {"A/two.mp3"});
  StartWith(milliseconds(200));
  const std::string quarryId = Search("quarry", 1).Texts("song_id").at(0);

  library_.AddTrack({"New/Deep/three.mp3", "Harbour Song", "Bea", "Water", "Jazz", ""});
  EXPECT_TRUE(Shows("harbour", 1)) << "a file in new folders";
  library_.AddTrack({"A/late.mp3", "Tomorrow Song", "Ann", "", "", ""});
  fs::last_write_time(library_ / "A/late.mp3", fs::file_time_type::clock::now() + std::chrono::hours(1));
  EXPECT_TRUE(Shows("tomorrow", 1)) << "a modification time in the future";

  library_.AddTrack({"A/two.mp3", "Meadow Song", "Ann", "Stones", "Folk", ""});
  EXPECT_TRUE(Shows("meadow", 1, 1)) << "changed tags";
  EXPECT_EQ(Total("quarry"), 0);
  EXPECT_EQ(Search("meadow", 1).Texts("song_id"), std::vector<std::string>{quarryId}) << "same id after a change";

  fs::create_directories(library_ / "B");
  fs::rename(library_ / "A/two.mp3", library_ / "B/moved.mp3");
  library_.AddPlaylist("Walk.m3u", {"B/moved.mp3", "A/one.mp3"});
  EXPECT_TRUE(testsupport::WaitUntil([&] { return Search("walk", 2).Texts("item_count") ==
                                                  std::vector<std::string>{"2"}; }, kSeen))
      << "an edited playlist whose entries name the moved file";
  EXPECT_EQ(Total("meadow", 1), 1) << "moved, not copied";

  fs::rename(library_ / "New", library_.Root().parent_path() / (library_.Root().filename().string() + "-out"));
  EXPECT_TRUE(Shows("harbour", 0)) << "a folder moved out of the library";
  fs::remove_all(library_.Root().parent_path() / (library_.Root().filename().string() + "-out"));
  fs::remove(library_ / "A/one.mp3");
  EXPECT_TRUE(Shows("orchard", 0)) << "a removed file";
  EXPECT_EQ(Search("walk", 2).Texts("item_count"), std::vector<std::string>{"1"});
}

TEST_F(LiveRescanTest, AFileCopiedInSlowlyIsReadOnceComplete) {
  // About 20 MB of MP3 made outside the library, then written into it a piece at a time.
  TestLibrary source;
  source.AddTrack({"big.mp3", "Glacier Suite", "Cold", "", "", "", 0.5, 9000});
  const std::string bytes = testsupport::ReadFile(source / "big.mp3");
  ASSERT_GT(bytes.size(), 18u << 20);
  StartWith(milliseconds(800));
  {
    std::ofstream out(library_ / "big.mp3", std::ios::binary);
    constexpr size_t kPiece = 1 << 20;
    for (size_t at = 0; at < bytes.size(); at += kPiece) {
      out.write(bytes.data() + at, static_cast<std::streamsize>(std::min(kPiece, bytes.size() - at)));
      out.flush();
      // A copy that takes its time, but never pauses as long as the quiet period.
      std::this_thread::sleep_for(milliseconds(30));
    }
  }
  EXPECT_TRUE(Shows("glacier", 1));
  EXPECT_EQ(server_->Rescans().tagsRead, 1) << "read once, when complete";
  const HttpResult head = Exchange(server_->Port(), "HEAD /stream/" + Search("glacier", 1).Texts("song_id").at(0) +
                                                        ".mp3 HTTP/1.0\r\n\r\n");
  EXPECT_NE(head.head.find("Content-Length: " + std::to_string(bytes.size())), std::string::npos);
}

TEST_F(LiveRescanTest, SearchesDuringALargeRescanSeeTheIndexBeforeOrAfter) {
  constexpr int kFiles = 5000;
  TestLibrary source;
  source.AddTrack({"bulk.mp3", "Pebble", "Shore", "", "", "", 0.1});
  library_.AddTrack({"keep.mp3", "Pebble Keeper", "Shore", "", "", ""});
  StartWith(milliseconds(500));
  ASSERT_EQ(Total("pebble", 1), 1);
  // Copies of one tagged file, moved in as one folder so that one rescan takes them all.
  fs::create_directories(source / "Bulk");
  for (int i = 0; i < kFiles; ++i) fs::copy_file(source / "bulk.mp3", source / ("Bulk/" + std::to_string(i) + ".mp3"));
  fs::rename(source / "Bulk", library_ / "Bulk");

  int searches = 0, before = 0;
  const bool done = testsupport::WaitUntil([&] {
    const int total = Total("pebble", 1);
    ++searches;
    before += total == 1;
    EXPECT_TRUE(total == 1 || total == kFiles + 1) << "a partial index: " << total;
    return total == kFiles + 1;
  }, milliseconds(30000));
  EXPECT_TRUE(done);
  EXPECT_GT(before, 0) << "searched during the rescan";
  RecordProperty("searches", searches);
}

// An index file served at once on restart and brought up to date; a foreign file is rebuilt.
TEST_F(LiveRescanTest, AStoredIndexIsServedAtOnceAndRebuiltWhenNotOurs) {
  library_.AddTrack({"one.mp3", "Ember Tune", "Coal", "", "", ""});
  testsupport::TempDir cache;
  server::ServerOptions options;
  options.library = library_.Root();
  options.apiKey = kTestKey;
  options.dbPath = (cache / "index.sqlite").string();
  options.deferScan = true;
  options.settle = milliseconds(100);
  server_ = std::make_unique<server::CatalogueServer>();
  ASSERT_TRUE(server_->Start(options));
  EXPECT_EQ(Total("ember", 1), 1) << "a new index is scanned before serving";
  server_->Stop();

  options.watch = false;  // only the rescan asked for may bring the new file in
  library_.AddTrack({"two.mp3", "Ember Dance", "Coal", "", "", ""});
  ASSERT_TRUE(server_->Start(options));
  EXPECT_EQ(Total("ember", 1), 1) << "served as stored";
  server_->RescanNow();
  EXPECT_TRUE(Shows("ember", 2, 1));
  server_->Stop();

  struct Case {
    const char* name;
    std::string sql;    // run on a fresh database file, or
    std::string bytes;  // written as the file
  };
  const Case cases[] = {
      {"not a database", "", std::string(8192, 'z')},
      {"another program's database", "CREATE TABLE tracks(id, path); INSERT INTO tracks VALUES(1, 'x');", ""},
      {"an index of another layout",
       "CREATE TABLE tracks(id INTEGER PRIMARY KEY, path TEXT UNIQUE, title TEXT); PRAGMA application_id=" +
           std::to_string(server::CatalogueIndex::kApplicationId), ""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(options.dbPath);
    if (!c.bytes.empty()) testsupport::WriteFile(options.dbPath, c.bytes);
    if (!c.sql.empty()) {
      server::SqliteDatabase db;
      ASSERT_TRUE(db.Open(options.dbPath));
      ASSERT_TRUE(db.Execute(c.sql));
    }
    ASSERT_TRUE(server_->Start(options)) << c.name;
    EXPECT_EQ(Total("ember", 1), 2) << c.name;
    server_->Stop();
  }
}

}  // namespace
