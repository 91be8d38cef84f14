// The gap a listener hears between consecutive tracks, in the real client: one continuous
// sweep cut into four tracks (each encoded on its own with its delay and padding in the Info
// frame), played from the Current Playlist at real time into the real-time WAV recording,
// which holds silence wherever the device had nothing to play. A gap is a stretch where the
// recording is quiet (|sample| <= kQuietLevel in both channels for more than kMinGapFrames);
// the sweep itself never is. Each client given is measured on loopback and behind the
// throttling proxy, the clients taking turns run by run, so "before" and "after" share the
// machine's load:
//
//   vornalo-bench-join-gap [--client PROGRAM]... [--runs N]
//
// Without --client the build's own client is measured.

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tests/app/ProgramRun.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/support/Mp3Synth.h"
#include "tests/support/TempDir.h"
#include "tests/support/ThrottlingProxy.h"

namespace {

constexpr int kTrackCount = 4;
constexpr double kAlbumSeconds = 8.0;
constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kQuietLevel = 4;
constexpr std::size_t kMinGapFrames = 8;

struct RunResult {
  bool ok = false;
  std::vector<double> gapsMs;  // each quiet stretch between the first and the last sound
};

std::string Script() {
  std::string script =
      "waitfor message 15\npost 1124 0 2\nwaitfor text \"stack application playlist\"\nkey Enter\n"
      "waitfor text \"stack application playlist itempopup\"\npost 1928\n";
  for (int i = 0; i < kTrackCount; ++i) script += "waitfor message 12024 20000\n";
  for (int i = 0; i < kTrackCount; ++i) script += "waitfor message 12025 20000\n";
  return script + "quit\n";
}

// The quiet stretches of `heard` between its first and its last sound, in milliseconds.
std::vector<double> Gaps(const std::vector<int16_t>& heard) {
  const std::size_t frames = heard.size() / kChannels;
  auto quiet = [&](std::size_t f) {
    for (int c = 0; c < kChannels; ++c) {
      if (std::abs(heard[f * kChannels + c]) > kQuietLevel) return false;
    }
    return true;
  };
  std::size_t first = 0, last = frames;
  while (first < frames && quiet(first)) ++first;
  while (last > first && quiet(last - 1)) --last;
  std::vector<double> gaps;
  for (std::size_t f = first; f < last;) {
    std::size_t end = f;
    while (end < last && quiet(end)) ++end;
    if (end - f > kMinGapFrames) gaps.push_back(1000.0 * double(end - f) / kSampleRate);
    f = end == f ? f + 1 : end;
  }
  return gaps;
}

RunResult RunOnce(const std::string& program, bool throttled, const std::vector<testsupport::EncodedMp3>& tracks) {
  RunResult result;
  testsupport::TempDir dir;
  std::vector<std::string> entries;
  std::filesystem::create_directories(dir / "library/tracks");
  for (int i = 0; i < kTrackCount; ++i) {
    const std::string name = "tracks/Part " + std::to_string(i + 1) + ".mp3";
    std::ofstream(dir / ("library/" + name), std::ios::binary) << tracks[i].bytes;
    entries.push_back("../" + name);
  }
  std::filesystem::create_directories(dir / "library/featured");
  {
    std::ofstream m3u(dir / "library/featured/Sweep.m3u");
    for (const std::string& entry : entries) m3u << entry << "\n";
  }
  std::unique_ptr<testsupport::ThrottlingProxy> proxy;
  server::ServerOptions options;
  options.library = dir / "library";
  if (throttled) {
    proxy = std::make_unique<testsupport::ThrottlingProxy>(
        testsupport::ThrottlingProxy::Link{std::chrono::milliseconds(100), 4'000'000});
    options.publicUrl = proxy->BaseUrl();
  }
  server::CatalogueServer catalogue;
  if (!catalogue.Start(options) || (proxy && !proxy->Start(catalogue.Port()))) return result;
  const std::string url = proxy ? proxy->BaseUrl() : catalogue.BaseUrl();
  if (apptest::SaveFeaturedCueListAsPlaylist(url, dir / "lookup-config", dir / playlist::playlistfile::kFileName,
                                             u"Sweep") != kTrackCount) {
    return result;
  }
  testsupport::WriteFile(dir / "script.txt", Script());
  std::filesystem::create_directory(dir / "runtime");
  ::chmod((dir / "runtime").c_str(), 0700);
  const apptest::ProgramResult run = apptest::RunProgram(
      program,
      {"--script", (dir / "script.txt").string(), "--config-dir", (dir / "config").string(), "--data-dir",
       dir.Path().string(), "--server", url, "--audio", "wav-realtime:" + (dir / "heard.wav").string()},
      {{"XDG_RUNTIME_DIR", (dir / "runtime").string()}, {"XDG_CACHE_HOME", (dir / "cache").string()}}, dir.Path(),
      std::chrono::seconds(120));
  if (run.exitCode != 0) {
    std::fprintf(stderr, "%s exited with %d: %s\n", program.c_str(), run.exitCode, run.err.c_str());
    return result;
  }
  result.gapsMs = Gaps(audiotest::WavFileSamples(dir / "heard.wav"));
  result.ok = true;
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> clients;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--client" && i + 1 < argc) {
      clients.push_back(argv[++i]);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: vornalo-bench-join-gap [--client PROGRAM]... [--runs N]\n");
      return 2;
    }
  }
  if (clients.empty()) clients.push_back(VORNALO_PROGRAM);
  const std::vector<int16_t> sweep = testsupport::SweepPcm(kAlbumSeconds, kSampleRate, kChannels);
  testsupport::Mp3EncodeOptions encode;
  const std::vector<testsupport::EncodedMp3> tracks = testsupport::EncodeConsecutiveTracks(sweep, kTrackCount, encode);
  if (tracks.size() != kTrackCount) return 1;
  std::printf("%d tracks of %.1f s (%d Hz, %d channels, 128 kbit/s CBR), %d runs each\n", kTrackCount,
              kAlbumSeconds / kTrackCount, kSampleRate, kChannels, runs);
  for (bool throttled : {false, true}) {
    std::vector<std::vector<double>> gaps(clients.size());
    for (int run = 0; run < runs; ++run) {
      for (std::size_t c = 0; c < clients.size(); ++c) {
        const RunResult result = RunOnce(clients[c], throttled, tracks);
        if (!result.ok) {
          std::printf("%s: run failed\n", clients[c].c_str());
          continue;
        }
        gaps[c].insert(gaps[c].end(), result.gapsMs.begin(), result.gapsMs.end());
        std::printf("  %-9s run %d %s: %zu gaps:", throttled ? "throttled" : "loopback", run + 1, clients[c].c_str(),
                    result.gapsMs.size());
        for (double gap : result.gapsMs) std::printf(" %.1f", gap);
        std::printf(" ms\n");
      }
    }
    for (std::size_t c = 0; c < clients.size(); ++c) {
      const std::vector<double>& all = gaps[c];
      double total = 0, longest = 0;
      for (double gap : all) total += gap, longest = std::max(longest, gap);
      std::printf("%s %s: quiet %.1f ms a join (%d joins a run, %d runs), longest gap %.1f ms\n",
                  throttled ? "throttled (100 ms, 4 Mbit/s)" : "loopback", clients[c].c_str(),
                  total / ((kTrackCount - 1) * runs), kTrackCount - 1, runs, longest);
    }
  }
  return 0;
}
