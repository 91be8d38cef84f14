// The gap a listener hears between consecutive tracks, in the real client: one continuous
// sweep cut into four tracks (each encoded on its own with its delay and padding in the Info
// frame), played from the Current Playlist at real time into the real-time WAV recording,
// which holds silence wherever the device had nothing to play. A gap is a stretch where the
// recording is quiet (|sample| <= kQuietLevel in both channels for more than kMinGapFrames);
// the sweep itself never is. The shift at a join is how much later the next track's middle
// plays than it would right after the track before (a window of the reference decode, found
// sample for sample in the recording): the silence, plus any delay or padding played, less any
// start that was lost. Each client given is measured on loopback and behind the
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

// Frames of a track's reference decode, from this far into it, looked for in the recording.
constexpr std::size_t kWindowFrames = 1000;
constexpr std::size_t kWindowAtFrames = kSampleRate / 2;

struct RunResult {
  bool ok = false;
  std::vector<double> gapsMs;   // each quiet stretch between the first and the last sound
  std::vector<double> shiftsMs; // each join's shift; empty when a window was not found
};

// Where each track's window lies in `heard` (frames; the first match after the previous one).
std::vector<std::size_t> WindowPositions(const std::vector<int16_t>& heard,
                                         const std::vector<std::vector<int16_t>>& references) {
  std::vector<std::size_t> positions;
  std::size_t from = 0;
  for (const std::vector<int16_t>& reference : references) {
    const auto window = reference.begin() + kWindowAtFrames * kChannels;
    const std::size_t length = kWindowFrames * kChannels;
    std::size_t at = from;
    while (at + length <= heard.size() && !std::equal(window, window + length, heard.begin() + at)) at += kChannels;
    if (at + length > heard.size()) return {};
    positions.push_back(at / kChannels);
    from = at + length;
  }
  return positions;
}

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

RunResult RunOnce(const std::string& program, bool throttled, const std::vector<testsupport::EncodedMp3>& tracks,
                  const std::vector<std::vector<int16_t>>& references) {
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
  const std::vector<int16_t> heard = audiotest::WavFileSamples(dir / "heard.wav");
  result.gapsMs = Gaps(heard);
  const std::vector<std::size_t> at = WindowPositions(heard, references);
  for (std::size_t i = 1; i < at.size(); ++i) {
    const double shift = double(at[i]) - double(at[i - 1]) - double(references[i - 1].size() / kChannels);
    result.shiftsMs.push_back(1000.0 * shift / kSampleRate);
  }
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
  std::vector<std::vector<int16_t>> references;
  for (const testsupport::EncodedMp3& track : tracks) references.push_back(testsupport::ReferenceDecode(track));
  std::printf("%d tracks of %.1f s (%d Hz, %d channels, 128 kbit/s CBR), %d runs each\n", kTrackCount,
              kAlbumSeconds / kTrackCount, kSampleRate, kChannels, runs);
  for (bool throttled : {false, true}) {
    std::vector<std::vector<double>> gaps(clients.size()), shifts(clients.size());
    for (int run = 0; run < runs; ++run) {
      for (std::size_t c = 0; c < clients.size(); ++c) {
        const RunResult result = RunOnce(clients[c], throttled, tracks, references);
        if (!result.ok) {
          std::printf("%s: run failed\n", clients[c].c_str());
          continue;
        }
        gaps[c].insert(gaps[c].end(), result.gapsMs.begin(), result.gapsMs.end());
        shifts[c].insert(shifts[c].end(), result.shiftsMs.begin(), result.shiftsMs.end());
        std::printf("  %-9s run %d %s: %zu gaps:", throttled ? "throttled" : "loopback", run + 1, clients[c].c_str(),
                    result.gapsMs.size());
        for (double gap : result.gapsMs) std::printf(" %.1f", gap);
        std::printf(result.gapsMs.empty() ? " none; shifts:" : " ms; shifts:");
        for (double shift : result.shiftsMs) std::printf(" %.1f", shift);
        std::printf(result.shiftsMs.empty() ? " (tracks not found)\n" : " ms\n");
      }
    }
    for (std::size_t c = 0; c < clients.size(); ++c) {
      double total = 0, longest = 0, shift = 0;
      for (double gap : gaps[c]) total += gap, longest = std::max(longest, gap);
      for (double one : shifts[c]) shift += one;
      std::printf("%s %s: quiet %.1f ms a join, longest %.1f ms; shift %.1f ms a join (%zu joins found of %d)\n",
                  throttled ? "throttled (100 ms, 4 Mbit/s)" : "loopback", clients[c].c_str(),
                  total / ((kTrackCount - 1) * runs), longest, shifts[c].empty() ? 0.0 : shift / double(shifts[c].size()),
                  shifts[c].size(), (kTrackCount - 1) * runs);
    }
  }
  return 0;
}
