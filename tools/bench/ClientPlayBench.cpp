// Benchmark: CPU time of the client while it plays one track at real time (headless, null
// output: the player, the position timer, the displays) beside vornalo-play playing the same
// track from the same kind of loopback server, per minute of audio, side by side in one run.
// Each program plays a short and a long track; the difference is what playing costs, without
// the start-up (the client's images, fonts and version check) that a longer track amortises.
//
//   vornalo-bench-client-play [--seconds N] [--kbps N] [--runs N] [--client PATH] [--player PATH]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/ItemRecords.h"
#include "platform/ChildProcess.h"
#include "playlist/PlaylistFile.h"
#include "server/CatalogueServer.h"
#include "tools/bench/BenchTone.h"
#include "tools/play/LoopbackFileServer.h"

namespace {

double RunCpu(const std::string& program, const std::vector<std::string>& args, int* status) {
  platform::ChildProcess child(program, args, {}, {}, "/dev/null", "/dev/null");
  if (!child.Started()) return -1;
  child.Wait();
  *status = child.Status();
  return child.CpuSeconds();
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 30;
  int kbps = 192, runs = 1;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  std::string client = (self / "../../app/vornalo").lexically_normal().string();
  std::string player = (self / "../play/vornalo-play").lexically_normal().string();
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seconds")) seconds = std::atof(argv[i + 1]);
    if (!std::strcmp(argv[i], "--kbps")) kbps = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--client")) client = argv[i + 1];
    if (!std::strcmp(argv[i], "--player")) player = argv[i + 1];
  }
  char pattern[] = "/tmp/vornalo-bench-client-play-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;
  std::filesystem::create_directories(dir / "library");
  std::filesystem::create_directories(dir / "runtime");
  std::filesystem::permissions(dir / "runtime", std::filesystem::perms::owner_all);
  ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);

  constexpr double kShortSeconds = 2;
  struct Track {
    double seconds;
    std::string path;
    std::unique_ptr<tools::LoopbackFileServer> files;
  };
  std::vector<Track> tracks;
  for (const double length : {kShortSeconds, seconds}) {
    Track track{length, (dir / (std::to_string(tracks.size()) + ".mp3")).string(), nullptr};
    const std::string mp3 = bench::SwellingToneMp3(length, kbps);
    std::ofstream(track.path, std::ios::binary) << mp3;
    track.files = std::make_unique<tools::LoopbackFileServer>(track.path);
    if (mp3.empty() || !track.files->start()) {
      std::fprintf(stderr, "cannot prepare the benchmark track\n");
      return 1;
    }
    tracks.push_back(std::move(track));
  }
  server::CatalogueServer catalogue;  // for the version check and the URL lookup (none found)
  server::ServerOptions options;
  options.library = dir / "library";
  if (!catalogue.Start(options)) {
    std::fprintf(stderr, "cannot start the catalogue server\n");
    return 1;
  }
  std::printf("%.0f s (and %.0f s) of 44.1 kHz stereo %d kbit/s, played at real time into the null output\n",
              seconds, kShortSeconds, kbps);
  double clientCpu[2] = {1e9, 1e9}, playCpu[2] = {1e9, 1e9};
  for (int run = 0; run < runs; ++run) {
    for (std::size_t t = 0; t < tracks.size(); ++t) {
      // One entry whose location is the track: "Play" in its popup starts it.
      catalogue::AudioCueRecord record{};
      std::snprintf(record.title, sizeof record.title, "Tone");
      std::snprintf(record.creator, sizeof record.creator, "Bench");
      std::snprintf(record.location, sizeof record.location, "%s", tracks[t].files->url().c_str());
      std::ofstream(dir / playlist::playlistfile::kFileName, std::ios::binary)
          << playlist::playlistfile::Encode(u"Bench", {&record});
      std::ofstream(dir / "script.txt") << "waitfor message 15\n"
                                           "stroke 200 100 100 100\n"
                                           "post 1928\n"
                                           "waitfor message 12024 10000\n"
                                           "waitfor message 12025 "
                                        << int(tracks[t].seconds * 1000 + 20000) << "\nquit\n";
      int status = -1;
      const double c = RunCpu(client, {"--headless", "--script", (dir / "script.txt").string(), "--server",
                                       catalogue.BaseUrl(), "--audio", "null", "--config-dir",
                                       (dir / "config").string(), "--data-dir", dir.string()},
                              &status);
      if (c < 0 || status != 0) {
        std::fprintf(stderr, "the client failed (status %d)\n", status);
        return 1;
      }
      clientCpu[t] = std::min(clientCpu[t], c);
      const double p = RunCpu(player, {tracks[t].files->url(), "--null", "--quiet"}, &status);
      if (p < 0 || status != 0) {
        std::fprintf(stderr, "vornalo-play failed (status %d)\n", status);
        return 1;
      }
      playCpu[t] = std::min(playCpu[t], p);
    }
  }
  const double playing = seconds - kShortSeconds;
  const double clientRate = (clientCpu[1] - clientCpu[0]) / playing * 60;
  const double playRate = (playCpu[1] - playCpu[0]) / playing * 60;
  std::printf("CPU seconds, best of %d:          %5.0f s track   %5.0f s track   per minute of playing\n", runs,
              kShortSeconds, seconds);
  std::printf("  vornalo-play                    %8.3f        %8.3f        %8.3f\n", playCpu[0], playCpu[1], playRate);
  std::printf("  client                          %8.3f        %8.3f        %8.3f   %.2fx vornalo-play "
              "(target <= 1.20x)\n",
              clientCpu[0], clientCpu[1], clientRate, clientRate / playRate);
  std::printf("  whole runs of the long track: client %.2fx vornalo-play\n", clientCpu[1] / playCpu[1]);
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return 0;
}
