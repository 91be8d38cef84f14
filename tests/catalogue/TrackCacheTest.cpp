#include "catalogue/TrackCache.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <thread>

#include "tests/catalogue/HttpTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using catalogue::TrackCache;

// Writes `bytes` as the whole track `key`; true when it was recorded complete.
bool Store(TrackCache& cache, const std::string& key, const std::string& bytes) {
  auto writer = cache.write(key, cache.lookup(key), bytes.size());
  return writer && writer->append(bytes.data(), bytes.size()) && writer->finish();
}

// What the data file of `key` holds, read through the cache.
std::string Read(TrackCache& cache, const std::string& key) {
  platform::UniqueFd fd = cache.openData(key);
  std::string bytes;
  char block[4096];
  for (ssize_t got; fd && (got = ::read(fd.Get(), block, sizeof block)) > 0;) bytes.append(block, std::size_t(got));
  return bytes;
}

std::filesystem::path DataFileOf(const TrackCache& cache) {
  for (const auto& item : std::filesystem::directory_iterator(cache.directory())) {
    if (item.path().extension() == ".data") return item.path();
  }
  return {};
}

class TrackCacheTest : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
};

TEST_F(TrackCacheTest, KeysNameTheServerAndTheIdOrElseTheLocation) {
  catalogue::AudioCueRecord record;
  std::memset(&record, 0, sizeof record);
  EXPECT_EQ(TrackCache::KeyOf("http://a:1", record), "");
  catalogue::CopyToSlot(record.location, "http://a:1/t.mp3");
  EXPECT_EQ(TrackCache::KeyOf("http://a:1", record), "http://a:1 location http://a:1/t.mp3");
  catalogue::CopyToSlot(record.mp3_url_id, "42");
  EXPECT_EQ(TrackCache::KeyOf("http://a:1", record), "http://a:1 id 42");
  EXPECT_NE(TrackCache::KeyOf("http://b:1", record), TrackCache::KeyOf("http://a:1", record));

  // Off: nothing is written, nothing found.
  TrackCache off(dir_ / "off", 0);
  EXPECT_FALSE(Store(off, "k", "bytes"));
  EXPECT_FALSE(off.lookup("k").complete);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "off"));
}

// 50 tracks through a cache of 10: the bound holds, least recently used go first.
TEST_F(TrackCacheTest, TheBoundHoldsOverFiftyTracksOldestUsedFirstOut) {
  constexpr std::size_t kTrackBytes = 10000;
  TrackCache cache(dir_ / "tracks", 10 * kTrackBytes);
  auto key = [](int i) { return "http://s:1 id " + std::to_string(i); };
  auto bytesOf = [&](int i) { return catalogue_test::RandomBytes(kTrackBytes, static_cast<std::uint32_t>(i)); };
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(Store(cache, key(i), bytesOf(i))) << i;
    EXPECT_LE(cache.totalBytes(), cache.maxBytes()) << "after track " << i;
    if (i == 20) {
      EXPECT_TRUE(cache.lookup(key(12)).complete);  // 12 played again
    }
    if (i == 24) {  // so 12 outlived 13 to 15, written after it
      EXPECT_TRUE(cache.lookup(key(12)).complete);
      EXPECT_FALSE(cache.lookup(key(15)).complete);
      EXPECT_TRUE(cache.lookup(key(16)).complete);
    }
  }
  std::vector<int> held;
  for (int i = 0; i < 50; ++i) {
    if (cache.lookup(key(i)).complete) held.push_back(i);
  }
  EXPECT_EQ(held, (std::vector<int>{40, 41, 42, 43, 44, 45, 46, 47, 48, 49}));
  EXPECT_EQ(Read(cache, key(45)), bytesOf(45));
  // A track larger than the whole cache is not kept.
  EXPECT_FALSE(Store(cache, "big", catalogue_test::RandomBytes(11 * kTrackBytes, 7)));
}

// A cut or overwritten middle is noticed at lookup: dropped, never handed out, kept again later.
TEST_F(TrackCacheTest, ACutOrOverwrittenFileIsNoticedAndFetchedAgain) {
  TrackCache cache(dir_ / "tracks", 1 << 24);
  const std::string bytes = catalogue_test::RandomBytes(300000, 3);
  struct Damage {
    const char* what;
    void (*apply)(const std::filesystem::path&);
  };
  const Damage damages[] = {
      {"cut", [](const std::filesystem::path& p) { std::filesystem::resize_file(p, 200000); }},
      {"grown", [](const std::filesystem::path& p) { std::filesystem::resize_file(p, 300001); }},
      {"overwritten", [](const std::filesystem::path& p) {
         std::string data = testsupport::ReadFile(p);
         data[150000] ^= 0x40;
         testsupport::WriteFile(p, data);
       }},
      {"removed", [](const std::filesystem::path& p) { std::filesystem::remove(p); }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    ASSERT_TRUE(Store(cache, "t", bytes));
    ASSERT_TRUE(cache.lookup("t").complete);
    damage.apply(DataFileOf(cache));
    const TrackCache::Held held = cache.lookup("t");
    EXPECT_FALSE(held.complete);
    EXPECT_EQ(held.bytes, 0u);
    EXPECT_TRUE(std::filesystem::is_empty(cache.directory()));
  }
  // Fetched again, it is whole again.
  ASSERT_TRUE(Store(cache, "t", bytes));
  EXPECT_EQ(Read(cache, "t"), bytes);
}

// A stopped download stays partial up to its last good record and goes on from there.
TEST_F(TrackCacheTest, APartialDownloadIsKeptAndContinuedFromWhereItsRecordEnds) {
  TrackCache cache(dir_ / "tracks", 1 << 24);
  const std::string bytes = catalogue_test::RandomBytes(700000, 5);
  const std::size_t cut = TrackCache::kCheckpointBytes + 1000;
  const std::filesystem::path crashed = dir_ / "crashed";
  {
    auto writer = cache.write("t", {}, bytes.size());
    ASSERT_TRUE(writer);
    EXPECT_FALSE(cache.write("t", {}, bytes.size())) << "one writer a track";
    for (std::size_t at = 0; at < cut; at += 2048) {  // as the stream's chunks come
      ASSERT_TRUE(writer->append(bytes.data() + at, std::min<std::size_t>(2048, cut - at)));
    }
    // A crash now: the folder as it is, with garbage after the unrecorded last bytes.
    std::filesystem::copy(cache.directory(), crashed);
    const std::filesystem::path data = crashed / DataFileOf(cache).filename();
    testsupport::WriteFile(data, testsupport::ReadFile(data) + "garbage after the last record");
  }
  TrackCache restarted(crashed, 1 << 24);
  TrackCache::Held held = restarted.lookup("t");
  EXPECT_FALSE(held.complete);
  EXPECT_EQ(held.bytes, TrackCache::kCheckpointBytes);
  EXPECT_EQ(held.contentLength, bytes.size());
  EXPECT_EQ(Read(restarted, "t"), bytes.substr(0, held.bytes));

  // Continued up to a further drop: that part stays too (the writer records it as it goes).
  {
    auto writer = restarted.write("t", held, bytes.size());
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->append(bytes.data() + held.bytes, 400000 - held.bytes));
    EXPECT_FALSE(writer->finish());
  }
  held = restarted.lookup("t");
  EXPECT_EQ(held.bytes, 400000u);
  EXPECT_FALSE(held.complete);
  // A continuation for a track whose length changed on the server starts from nothing.
  auto writer = restarted.write("t", held, bytes.size() + 1);
  ASSERT_TRUE(writer);
  EXPECT_EQ(writer->bytes(), 0u);
}

// Concurrent writers and lookups: each track whole or absent, and the bound holds.
TEST_F(TrackCacheTest, ParallelWritersKeepEveryTrackWholeAndTheBound) {
  constexpr std::size_t kTrackBytes = 3 * TrackCache::kCheckpointBytes / 2;
  TrackCache cache(dir_ / "tracks", 6 * kTrackBytes);
  auto key = [](int i) { return "http://s:1 id " + std::to_string(i); };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = t; i < 24; i += 4) {
        const std::string bytes = catalogue_test::RandomBytes(kTrackBytes, static_cast<std::uint32_t>(i));
        auto writer = cache.write(key(i), {}, bytes.size());
        for (std::size_t at = 0; writer && at < bytes.size(); at += 2048) {
          writer->append(bytes.data() + at, std::min<std::size_t>(2048, bytes.size() - at));
          cache.lookup(key(i - 1));
        }
        if (writer) writer->finish();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_LE(cache.totalBytes(), cache.maxBytes());
  int held = 0;
  for (int i = 0; i < 24; ++i) {
    if (!cache.lookup(key(i)).complete) continue;
    ++held;
    EXPECT_EQ(Read(cache, key(i)), catalogue_test::RandomBytes(kTrackBytes, static_cast<std::uint32_t>(i))) << i;
  }
  EXPECT_GE(held, 2);
}

}  // namespace
