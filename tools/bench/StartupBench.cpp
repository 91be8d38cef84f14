// Start-up time of the client, headless: from the process start to the first paint of the
// main window (the moment the script's first line after "waitfor message 15" is logged) and to
// the process's exit, median of several runs. Three set-ups side by side:
//   embedded   no server option: a server embedded over the demo library (its stored index
//              after the first run)
//   external   --server pointing at a server already running over the demo library
//   offline    --offline: the process up to its first message box, the floor of any start
// Then over a generated library of 10,000 tracks (--library): the first start, which scans it
// into the index in the cache folder, and the starts after it, which serve that index at once
// and rescan it in the background.
//
//   vornalo-bench-startup [RUNS]

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "server/CatalogueServer.h"
#include "tools/bench/GeneratedLibrary.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultRuns = 15;
constexpr int kLibraryTracks = 10000;
constexpr const char* kFirstPaintLine = "script: quit";

struct Timing {
  double firstOutputMs = -1;  // the first-paint line (or, offline, the first line at all)
  double exitMs = -1;
  int exitCode = -1;
};

Timing RunOnce(const std::vector<std::string>& arguments, const char* marker) {
  Timing timing;
  const auto start = Clock::now();
  platform::ChildProcess child(VORNALO_PROGRAM, arguments, {}, {}, {}, "/dev/null");
  if (!child.Started()) return timing;
  std::string output;
  char buffer[4096];
  while (true) {
    const ssize_t got = ::read(child.StdoutFd(), buffer, sizeof buffer);
    if (got <= 0) break;
    output.append(buffer, static_cast<std::size_t>(got));
    if (timing.firstOutputMs < 0 && output.find(marker) != std::string::npos) {
      timing.firstOutputMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
  }
  child.Wait();
  timing.exitMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  timing.exitCode = child.ExitCode();
  return timing;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
  char pattern[] = "/tmp/vornalo-bench-startup-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::filesystem::path dir = pattern;
  std::filesystem::create_directory(dir / "runtime");
  ::chmod((dir / "runtime").c_str(), 0700);
  ::setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
  // The embedded server keeps its index here, not in the user's cache: the first embedded run
  // scans the demo library, the others serve the stored index.
  ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
  std::ofstream(dir / "script.txt") << "waitfor message 15\nquit\n";
  const std::vector<std::string> common{"--script", (dir / "script.txt").string(), "--config-dir",
                                        (dir / "config").string(), "--data-dir", dir.string()};

  server::CatalogueServer external;
  server::ServerOptions serverOptions;
  serverOptions.library = VORNALO_DEMO_LIBRARY_DIR;
  if (!external.Start(serverOptions)) {
    std::fprintf(stderr, "cannot start a server over %s\n", VORNALO_DEMO_LIBRARY_DIR);
    return 1;
  }

  struct Setup {
    const char* name;
    std::vector<std::string> extra;
    const char* marker;
  };
  const Setup setups[] = {
      {"embedded", {}, kFirstPaintLine},
      {"external", {"--server", external.BaseUrl()}, kFirstPaintLine},
      {"offline", {"--offline"}, "MessageBox:"},
  };
  std::printf("%d runs each, median milliseconds\n", runs);
  std::printf("%-10s %14s %10s\n", "set-up", "first paint", "exit");
  double embeddedPaint = 0, offlinePaint = 0;
  for (const Setup& setup : setups) {
    std::vector<std::string> arguments = common;
    arguments.insert(arguments.end(), setup.extra.begin(), setup.extra.end());
    std::vector<double> paints, exits;
    for (int i = 0; i < runs; ++i) {
      const Timing timing = RunOnce(arguments, setup.marker);
      if (timing.exitCode != 0 || timing.firstOutputMs < 0) {
        std::fprintf(stderr, "%s: run %d failed (exit code %d)\n", setup.name, i, timing.exitCode);
        return 1;
      }
      paints.push_back(timing.firstOutputMs);
      exits.push_back(timing.exitMs);
    }
    std::printf("%-10s %14.1f %10.1f\n", setup.name, Median(paints), Median(exits));
    if (std::string(setup.name) == "embedded") embeddedPaint = Median(paints);
    if (std::string(setup.name) == "offline") offlinePaint = Median(paints);
  }
  std::printf("embedded first paint / offline floor: %.2f\n", embeddedPaint / offlinePaint);

  // A cache folder of its own, so that the first start over the library finds no index.
  ::setenv("XDG_CACHE_HOME", (dir / "library-cache").c_str(), 1);
  const std::filesystem::path library = "/tmp/vornalo-bench-library-" + std::to_string(kLibraryTracks);
  bench::WriteGeneratedLibrary(library, kLibraryTracks);
  std::vector<std::string> arguments = common;
  arguments.insert(arguments.end(), {"--library", library.string()});
  const Timing first = RunOnce(arguments, kFirstPaintLine);
  std::vector<double> paints, exits;
  for (int i = 0; i < runs; ++i) {
    const Timing timing = RunOnce(arguments, kFirstPaintLine);
    if (timing.exitCode != 0 || timing.firstOutputMs < 0) {
      std::fprintf(stderr, "library: run %d failed (exit code %d)\n", i, timing.exitCode);
      return 1;
    }
    paints.push_back(timing.firstOutputMs);
    exits.push_back(timing.exitMs);
  }
  std::printf("%d-track library (--library %s):\n", kLibraryTracks, library.c_str());
  std::printf("%-10s %14.1f %10.1f   (one run: scans into the cache)\n", "first", first.firstOutputMs,
              first.exitMs);
  std::printf("%-10s %14.1f %10.1f   (median: the cached index, rescanned after)\n", "later",
              Median(paints), Median(exits));
  external.Stop();
  std::filesystem::remove_all(dir);
  return 0;
}
