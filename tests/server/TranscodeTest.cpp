// Formats the server serves as MP3 it makes, over files encoded by ffmpeg at test time.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

#include "server/CatalogueServer.h"
#include "tests/server/LiveServer.h"
#include "tests/server/TranscodeFixtures.h"
#include "tests/server/XmlProbe.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

namespace fs = std::filesystem;
using namespace servertest;

constexpr int kRate = 48000;
constexpr int kFrameSamples = 1152;
constexpr int64_t kFrameBytes = 768;  // 256 kbit/s at 48 kHz

int64_t HeaderNumber(const HttpResult& reply, const std::string& name) {
  const size_t at = reply.head.find("\r\n" + name + ": ");
  return at == std::string::npos ? -1 : std::atoll(reply.head.c_str() + at + name.size() + 4);
}

// A catalogue server over a folder of its own, its log lines kept.
class TranscodingServer {
 public:
  explicit TranscodingServer(const fs::path& library, int64_t cacheBytes = int64_t{1} << 30) {
    server::ServerOptions options;
    options.library = library;
    options.apiKey = kTestKey;
    options.watch = false;
    options.transcodeCacheBytes = cacheBytes;
    options.log = [this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back(line);
    };
    started_ = server_.Start(options);
  }
  bool Started() const { return started_; }
  server::CatalogueServer& Server() { return server_; }
  uint16_t Port() const { return server_.Port(); }
  bool Logged(const std::string& part) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& line : log_) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }
  // The song_id of the one AudioCue a search for word finds ("" when not exactly one).
  std::string SongId(const std::string& word, XmlProbe* found = nullptr) {
    const XmlProbe probe = XmlProbe::Parse(Get(Port(), SearchTarget(word, 0, 10, 1)).body);
    if (found) *found = probe;
    const auto ids = probe.Texts("song_id");
    return ids.size() == 1 ? ids[0] : "";
  }
  HttpResult Stream(const std::string& id, const std::string& headers = "") {
    return Get(Port(), "/stream/" + id + ".mp3", headers);
  }

 private:
  std::mutex mutex_;  // guards log_ (written by the server's threads)
  std::vector<std::string> log_;
  server::CatalogueServer server_;
  bool started_ = false;
};

TEST(TranscodeTest, EachFormatIsFoundByItsTagsAndStreamedAsMp3OfItsSound) {
  testsupport::TempDir library;
  const std::vector<SourceFormat>& formats = AllSourceFormats();
  std::vector<std::vector<int16_t>> sources;
  std::string exported = "#EXTM3U\r\n";
  for (size_t i = 0; i < formats.size(); ++i) {
    sources.push_back(MusicPcm(4.0, static_cast<uint32_t>(10 + i)));
    const std::string name = formats[i].name;
    const fs::path file = library / (name + "/Sample " + name + formats[i].extension);
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(WriteSource(file, formats[i], sources.back(),
                            {"Sample" + name, "Artist " + name, "Album " + name, "Genre" + name, "Composer " + name}))
        << name;
    exported += "#EXTINF:4,Artist " + name + " - Sample" + name + "\r\n" + fs::canonical(file).string() + "\r\n";
  }
  fs::create_directories(library / "featured");
  testsupport::WriteFile(library / "featured/Exported.m3u8", exported);

  TranscodingServer catalogue(library.Path());
  ASSERT_TRUE(catalogue.Started());
  EXPECT_EQ(catalogue.Server().LastScan().tracks, static_cast<int64_t>(formats.size()));
  const XmlProbe featured =
      XmlProbe::Parse(Get(catalogue.Port(), std::string("/api/wm_app/getAllFeaturedCueLists?sk=") + kTestKey).body);
  ASSERT_EQ(featured.Texts("playlist_id").size(), 1u);
  const XmlProbe listed = XmlProbe::Parse(
      Get(catalogue.Port(), "/api/wm_app/getPlaylist?playlist_id=" + featured.Texts("playlist_id")[0] + "&sk=" + kTestKey)
          .body);
  EXPECT_EQ(listed.Texts("title").size(), formats.size());

  for (size_t i = 0; i < formats.size(); ++i) {
    const std::string name = formats[i].name;
    SCOPED_TRACE(name);
    XmlProbe found;
    const std::string id = catalogue.SongId("Sample" + name, &found);
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(found.Texts("creator"), std::vector<std::string>{"Artist " + name});
    EXPECT_EQ(found.Texts("album"), std::vector<std::string>{"Album " + name});
    EXPECT_EQ(found.Texts("genre"), std::vector<std::string>{"Genre" + name});
    EXPECT_EQ(found.Texts("composer"), std::vector<std::string>{"Composer " + name});
    EXPECT_EQ(listed.Texts("title")[i], "Sample" + name);

    const HttpResult reply = catalogue.Stream(id);
    ASSERT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.closed);
    EXPECT_NE(reply.head.find("Content-Type: audio/mpeg"), std::string::npos);
    EXPECT_EQ(HeaderNumber(reply, "Content-Length"), static_cast<int64_t>(reply.body.size()));
    const DecodedStream stream = DecodeStream(reply.body);
    ASSERT_TRUE(stream.info);
    EXPECT_EQ(stream.sampleRate, kRate);
    const bool mono = name == "mono44k";
    EXPECT_EQ(stream.channels, mono ? 1 : 2);
    EXPECT_EQ(stream.bytes, static_cast<int64_t>(reply.body.size()));
    EXPECT_EQ((stream.frames + 1) * kFrameBytes, static_cast<int64_t>(reply.body.size()));
    EXPECT_EQ(stream.decodedFrames, stream.frames + 1);
    EXPECT_EQ(stream.delay, 576);
    const int64_t sourceFrames = static_cast<int64_t>(sources[i].size() / 2);
    const long long decoded = static_cast<long long>(stream.pcm.size() / stream.channels);
    EXPECT_LE(std::llabs(decoded - sourceFrames), kFrameSamples);
    EXPECT_LE(std::llabs(static_cast<long long>(stream.frames * kFrameSamples) - sourceFrames), 2 * kFrameSamples);
    EXPECT_GE(Correlation(stream.pcm, mono ? MonoMix(sources[i]) : sources[i]), 0.99);
  }
}

TEST(TranscodeTest, RangesDuringAndAfterTheTranscodeMatchTheWholeStream) {
  testsupport::TempDir library;
  ASSERT_TRUE(WriteSource(library / "long.flac", AllSourceFormats()[0], MusicPcm(60.0, 3), {"Longflac"}));
  TranscodingServer catalogue(library.Path());
  ASSERT_TRUE(catalogue.Started());
  const std::string id = catalogue.SongId("Longflac");
  ASSERT_FALSE(id.empty());

  // HEAD starts the transcode and knows its length; a range beyond what is made waits for it.
  const HttpResult head = Exchange(catalogue.Port(), "HEAD /stream/" + id + ".mp3 HTTP/1.0\r\n\r\n");
  const int64_t length = HeaderNumber(head, "Content-Length");
  ASSERT_GT(length, 60 * 32000);
  const int64_t first = length / 2 + 12345, last = first + 99999;
  const std::string range = "Range: bytes=" + std::to_string(first) + "-" + std::to_string(last) + "\r\n";
  const HttpResult during = catalogue.Stream(id, range);
  const HttpResult whole = catalogue.Stream(id);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return catalogue.Server().Transcodes().files == 1; }));
  const HttpResult after = catalogue.Stream(id, range);
  const HttpResult tail = catalogue.Stream(id, "Range: bytes=-1000\r\n");

  ASSERT_EQ(whole.status, 200);
  ASSERT_EQ(static_cast<int64_t>(whole.body.size()), length);
  for (const HttpResult* partial : {&during, &after}) {
    EXPECT_EQ(partial->status, 206);
    EXPECT_NE(partial->head.find("Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                                 std::to_string(length)), std::string::npos);
    EXPECT_TRUE(partial->body == whole.body.substr(static_cast<size_t>(first), 100000));
  }
  EXPECT_TRUE(tail.body == whole.body.substr(static_cast<size_t>(length - 1000)));
  EXPECT_EQ(catalogue.Stream(id, "Range: bytes=" + std::to_string(length) + "-\r\n").status, 416);
  const auto stats = catalogue.Server().Transcodes();
  EXPECT_EQ(stats.transcodes, 1);
  EXPECT_GE(stats.shared, 1);  // the first range joined the transcode under way
  EXPECT_GE(stats.hits, 2);
}

TEST(TranscodeTest, ListenersAtOnceShareOneTranscodeAndStopEndsAWaitingOne) {
  testsupport::TempDir library;
  ASSERT_TRUE(WriteSource(library / "shared.wav", AllSourceFormats()[5], MusicPcm(90.0, 4), {"Sharedwav"}));
  ASSERT_TRUE(WriteSource(library / "stalled.flac", AllSourceFormats()[0], MusicPcm(90.0, 5), {"Stalledflac"}));
  auto catalogue = std::make_unique<TranscodingServer>(library.Path());
  ASSERT_TRUE(catalogue->Started());
  const std::string id = catalogue->SongId("Sharedwav");
  ASSERT_FALSE(id.empty());

  HttpResult replies[3];
  std::vector<std::thread> listeners;
  for (HttpResult& reply : replies) listeners.emplace_back([&catalogue, &reply, id] { reply = catalogue->Stream(id); });
  for (std::thread& listener : listeners) listener.join();
  for (const HttpResult& reply : replies) {
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(HeaderNumber(reply, "Content-Length"), static_cast<int64_t>(reply.body.size()));
    EXPECT_TRUE(reply.body == replies[0].body);
  }
  const auto stats = catalogue->Server().Transcodes();
  EXPECT_EQ(stats.transcodes, 1);
  EXPECT_EQ(stats.shared + stats.hits, 2);

  // Stopping the server ends a listener parked on a transcode instead of waiting for it.
  const std::string stalled = catalogue->SongId("Stalledflac");
  platform::UniqueFd socket = ConnectLoopback(catalogue->Port());
  const std::string request = "GET /stream/" + stalled + ".mp3 HTTP/1.0\r\nRange: bytes=2000000-\r\n\r\n";
  ASSERT_EQ(::send(socket.Get(), request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return catalogue->Server().Transcodes().transcodes == 2; }));
  catalogue.reset();
  char buffer[4096];
  while (::recv(socket.Get(), buffer, sizeof buffer, 0) > 0) {
  }
}

TEST(TranscodeTest, TheCacheBoundHoldsOverManyFiles) {
  testsupport::TempDir library;
  constexpr int kFiles = 8;
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_TRUE(WriteSource(library / ("f" + std::to_string(i) + ".wav"), AllSourceFormats()[5],
                            MusicPcm(2.0, static_cast<uint32_t>(20 + i)), {"Cached" + std::to_string(i)}));
  }
  constexpr int64_t kBound = 200 * 1000;  // about three 2 s transcodes at 256 kbit/s
  TranscodingServer catalogue(library.Path(), kBound);
  ASSERT_TRUE(catalogue.Started());
  const fs::path folder = catalogue.Server().TranscodeFolder();
  auto folderBytes = [&folder] {
    int64_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder)) total += static_cast<int64_t>(entry.file_size());
    return total;
  };
  std::vector<std::string> ids;
  for (int i = 0; i < kFiles; ++i) {
    ids.push_back(catalogue.SongId("Cached" + std::to_string(i)));
    ASSERT_EQ(catalogue.Stream(ids.back()).status, 200);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return catalogue.Server().Transcodes().transcodes == i + 1 &&
                                                    catalogue.Server().Transcodes().files + catalogue.Server().Transcodes().evicted == i + 1; }));
    EXPECT_LE(folderBytes(), kBound) << i;
  }
  auto stats = catalogue.Server().Transcodes();
  EXPECT_EQ(stats.files, 3);
  EXPECT_EQ(stats.evicted, kFiles - 3);
  EXPECT_EQ(stats.bytes, folderBytes());
  // The newest are served from the folder; the oldest is made again.
  ASSERT_EQ(catalogue.Stream(ids.back()).status, 200);
  ASSERT_EQ(catalogue.Stream(ids.front()).status, 200);
  stats = catalogue.Server().Transcodes();
  EXPECT_EQ(stats.hits, 1);
  EXPECT_EQ(stats.transcodes, kFiles + 1);
}

TEST(TranscodeTest, ADamagedSourceGetsAnErrorReplyAndALogLineAndTheServerServesOn) {
  testsupport::TempDir library;
  const std::vector<int16_t> music = MusicPcm(20.0, 6);
  ASSERT_TRUE(WriteSource(library / "good.flac", AllSourceFormats()[0], music, {"Goodflac"}));
  ASSERT_TRUE(WriteSource(library / "broken.flac", AllSourceFormats()[0], music, {"Brokenflac"}));
  ASSERT_TRUE(WriteSource(library / "cut.flac", AllSourceFormats()[0], music, {"Cutflac"}));
  TranscodingServer catalogue(library.Path());
  ASSERT_TRUE(catalogue.Started());
  const std::string good = catalogue.SongId("Goodflac"), broken = catalogue.SongId("Brokenflac"),
                    cut = catalogue.SongId("Cutflac");

  // Damaged after it was indexed: garbage where the audio was, and a file cut in half.
  const std::string bytes = testsupport::ReadFile(library / "broken.flac");
  testsupport::WriteFile(library / "broken.flac", std::string(bytes.size(), '\x5A'));
  const std::string whole = testsupport::ReadFile(library / "cut.flac");
  testsupport::WriteFile(library / "cut.flac", whole.substr(0, whole.size() / 2));

  EXPECT_EQ(catalogue.Stream(broken).status, 500);
  EXPECT_TRUE(catalogue.Logged("cannot transcode broken.flac"));
  EXPECT_EQ(catalogue.Stream(broken).status, 500);  // remembered: not tried again until it changes
  EXPECT_EQ(catalogue.Server().Transcodes().transcodes, 1);

  // A cut file keeps its promised length in the reply, and the log says what was missing.
  const HttpResult shortened = catalogue.Stream(cut);
  EXPECT_EQ(shortened.status, 200);
  EXPECT_EQ(HeaderNumber(shortened, "Content-Length"), static_cast<int64_t>(shortened.body.size()));
  EXPECT_TRUE(testsupport::WaitUntil([&] { return catalogue.Logged("cut.flac"); }));

  const HttpResult served = catalogue.Stream(good);
  ASSERT_EQ(served.status, 200);
  EXPECT_GE(Correlation(DecodeStream(served.body).pcm, music), 0.99);
}

}  // namespace
