// Benchmark: time to the first sound of a track, from `setUrl` and `play` to the moment the device holds
// decoded audio and runs, for a track the track cache holds and one it does not, on loopback
// and behind a throttling proxy (a slow link), measured side by side in each run. The stream
// URL lookup that comes before `play` is not part of it.
//
//   vornalo-bench-first-sound [--runs N] [--seconds S] [--rtt MS] [--kbit N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "audio/StreamPlayer.h"
#include "catalogue/TrackCache.h"
#include "platform/audio/null/NullPcmSink.h"
#include "tests/support/ThrottlingProxy.h"
#include "tools/demo/Mp3Encoder.h"
#include "tools/play/LoopbackFileServer.h"

namespace {

using Clock = std::chrono::steady_clock;

// A null sink that notes when sound would first be heard: a buffer written while the device
// runs (it opens running; the player holds it paused until enough is queued).
class FirstSoundSink : public platform::PcmSink {
 public:
  uint32_t DeviceCount() const override { return inner_.DeviceCount(); }
  platform::PcmOpenResult Open(const platform::PcmFormat& format, DoneHandler done) override {
    std::lock_guard<std::mutex> guard(lock_);
    running_ = true;
    return inner_.Open(format, std::move(done));
  }
  void Close() override { inner_.Close(); }
  bool Write(const uint8_t* data, uint32_t bytes, void* tag) override {
    {
      std::lock_guard<std::mutex> guard(lock_);
      written_ = true;
      if (running_ && !firstSound_) firstSound_ = Clock::now();
    }
    return inner_.Write(data, bytes, tag);
  }
  void Pause() override {
    std::lock_guard<std::mutex> guard(lock_);
    running_ = false;
    inner_.Pause();
  }
  void Restart() override {
    std::lock_guard<std::mutex> guard(lock_);
    running_ = true;
    if (written_ && !firstSound_) firstSound_ = Clock::now();
    inner_.Restart();
  }
  void Reset() override { inner_.Reset(); }
  uint64_t Position() const override { return inner_.Position(); }

  std::optional<Clock::time_point> FirstSound() {
    std::lock_guard<std::mutex> guard(lock_);
    return firstSound_;
  }

 private:
  platform::NullPcmSink inner_{0.0};
  std::mutex lock_;  // guards the three fields below
  bool running_ = false;
  bool written_ = false;
  std::optional<Clock::time_point> firstSound_;
};

std::string SynthesizeTone(double seconds) {
  constexpr int kRate = 44100;
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  std::vector<int16_t> samples(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    samples[2 * i] = int16_t(12000 * ((i / 50) % 2 ? 1 : -1));
    samples[2 * i + 1] = int16_t(8000 * ((i / 75) % 2 ? 1 : -1));
  }
  demo::Mp3Encoder encoder(demo::Mp3Format{});
  const std::vector<uint8_t> mp3 = encoder.IsValid() ? encoder.EncodeAll(samples) : std::vector<uint8_t>();
  return std::string(mp3.begin(), mp3.end());
}

// Milliseconds from `setUrl` and `play` to the first sound of `url`; negative when it never came.
double FirstSoundMs(const std::string& url, catalogue::TrackCache* cache) {
  auto sink = std::make_unique<FirstSoundSink>();
  FirstSoundSink* probe = sink.get();
  catalogue::HttpClientOptions options;
  options.trackCache = cache;
  audio::StreamPlayer player(std::move(sink), options);
  // From the URL on: a cached track is looked up (its record and CRC-32 checked) there.
  const Clock::time_point start = Clock::now();
  player.setUrl(std::u16string(url.begin(), url.end()));
  player.play();
  const Clock::time_point limit = start + std::chrono::seconds(30);
  while (!probe->FirstSound() && Clock::now() < limit && player.state() != audio::StreamPlayer::Stopped) {
    usleep(500);
  }
  const std::optional<Clock::time_point> heard = probe->FirstSound();
  player.stop(1);
  return heard ? std::chrono::duration<double, std::milli>(*heard - start).count() : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 9;
  double seconds = 120;
  int rttMs = 100;
  long kbit = 4000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    else if (arg == "--seconds") seconds = std::atof(argv[i + 1]);
    else if (arg == "--rtt") rttMs = std::atoi(argv[i + 1]);
    else if (arg == "--kbit") kbit = std::atol(argv[i + 1]);
  }
  char pattern[] = "/tmp/vornalo-first-sound-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;
  const std::string mp3 = SynthesizeTone(seconds);
  const std::filesystem::path file = dir / "track.mp3";
  std::ofstream(file, std::ios::binary) << mp3;

  tools::LoopbackFileServer server(file.string());
  if (mp3.empty() || !server.start()) {
    std::fprintf(stderr, "cannot serve the track\n");
    return 1;
  }
  const std::string url = server.url();
  const auto port = static_cast<std::uint16_t>(std::atoi(url.c_str() + url.rfind(':') + 1));
  testsupport::ThrottlingProxy proxy({std::chrono::milliseconds(rttMs), std::uint64_t(kbit) * 1000});
  proxy.Start(port);
  const std::string slowUrl = proxy.BaseUrl() + url.substr(url.find('/', std::strlen("http://")));

  // The track in the cache under both addresses, as a finished download leaves it; the
  // uncached runs use a cache that is off.
  catalogue::TrackCache cache(dir / "cache", catalogue::TrackCache::kDefaultMegabytes * catalogue::TrackCache::kBytesPerMegabyte);
  catalogue::TrackCache off(dir / "off", 0);
  {
    auto writer = cache.write("bench", {}, mp3.size());
    if (!writer || !writer->append(mp3.data(), mp3.size()) || !writer->finish()) return 1;
  }
  cache.remember(url, "bench");
  cache.remember(slowUrl, "bench");

  std::vector<double> loopback, slow, cachedLoopback, cachedSlow;
  for (int run = 0; run < runs; ++run) {
    loopback.push_back(FirstSoundMs(url, &off));
    cachedLoopback.push_back(FirstSoundMs(url, &cache));
    slow.push_back(FirstSoundMs(slowUrl, &off));
    cachedSlow.push_back(FirstSoundMs(slowUrl, &cache));
  }
  std::printf("track: %.0f s, %zu bytes; %d runs, medians\n", seconds, mp3.size(), runs);
  std::printf("first sound on loopback:       uncached %8.1f ms, cached %6.1f ms\n", Median(loopback),
              Median(cachedLoopback));
  std::printf("first sound behind the proxy (%d ms RTT, %ld kbit/s): uncached %8.1f ms, cached %6.1f ms\n", rttMs,
              kbit, Median(slow), Median(cachedSlow));
  std::filesystem::remove_all(dir);
  return 0;
}
