// vornalo-soak: drives the real client with a seeded stream of random user actions and checks
// that it survives them (see README.md in this folder).

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "tools/soak/CallSetter.h"
#include "tools/soak/ProgramWatch.h"
#include "tools/soak/SoakFiles.h"
#include "tools/soak/SoakScript.h"
#include "tools/soak/ServerSwitch.h"

namespace {

struct Options {
  std::string program = VORNALO_PROGRAM;
  std::vector<std::uint64_t> seeds{1};
  std::size_t events = 20000;
  std::string work;
  bool keep = false;
  bool kill = true;
  bool print = false;
  bool outages = false;  // --outages: a server of its own, stopped and started at random events
  int width = 240, height = 320;  // --screen WxH, the client's phone screen
};

constexpr std::size_t kKillEvery = 5000;

const char* kUsage =
    "usage: vornalo-soak [--program PATH] [--seeds N,N,...] [--events N] [--screen WxH]\n"
    "                    [--work DIR] [--keep] [--no-kill] [--outages]\n"
    "       vornalo-soak --print [--seeds N] [--events N]   (writes the seed's script, to replay it by hand)\n"
    "Runs the client headless over each seed's random events; exits 1 when a run crashed, hung,\n"
    "wrote a sanitizer report, grew its descriptors or threads, or left unreadable files.\n";

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--program" && hasValue) {
      options.program = argv[++i];
    } else if (arg == "--seeds" && hasValue) {
      options.seeds.clear();
      for (char* p = argv[++i]; *p;) {
        char* end = nullptr;
        options.seeds.push_back(std::strtoull(p, &end, 10));
        if (end == p) return false;
        p = *end == ',' ? end + 1 : end;
      }
    } else if (arg == "--events" && hasValue) {
      options.events = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--screen" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2) return false;
    } else if (arg == "--work" && hasValue) {
      options.work = argv[++i];
    } else if (arg == "--keep") {
      options.keep = true;
    } else if (arg == "--print") {
      options.print = true;
    } else if (arg == "--no-kill") {
      options.kill = false;
    } else if (arg == "--outages") {
      options.outages = true;
    } else {
      return false;
    }
  }
  return options.events > 0 && !options.seeds.empty();
}

// One seed: every event once, with one SIGKILL at a seeded event. True when nothing was wrong.
bool SoakSeed(const Options& options, const std::filesystem::path& base, std::uint64_t seed) {
  const auto began = std::chrono::steady_clock::now();
  const std::filesystem::path work = base / ("seed-" + std::to_string(seed));
  const std::filesystem::path data = work / "data", config = work / "config", runtime = work / "run";
  for (const auto& folder : {data, config, runtime}) std::filesystem::create_directories(folder);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);

  soak::SoakScript script(seed, options.width, options.height, options.outages);
  const std::vector<soak::SoakEvent> events = script.Generate(options.events);
  // One SIGKILL in each stretch of kKillEvery events, at a seeded event past its first tenth.
  std::vector<std::size_t> killAt;
  if (options.kill && options.events >= 10) {
    soak::SoakScript chooser(seed ^ 0x6b696c6cull);
    const std::size_t stretches = std::max<std::size_t>(1, options.events / kKillEvery);
    const std::size_t length = options.events / stretches;
    for (std::size_t i = 0; i < stretches; ++i) {
      const auto low = static_cast<std::int32_t>(i * length + length / 10);
      killAt.push_back(static_cast<std::size_t>(chooser.Uniform(low, static_cast<std::int32_t>((i + 1) * length - 1))));
    }
  }
  std::size_t nextKill = 0;

  const std::map<std::string, std::string> environment = {
      {"XDG_RUNTIME_DIR", runtime.string()},
      {"XDG_CACHE_HOME", (base / "cache").string()},  // the embedded server's index, shared by the seeds
      {"XDG_CONFIG_HOME", (work / "config-home").string()},
      {"VORNALO_BROWSER", "/bin/true"},
      {"ASAN_OPTIONS", getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "detect_leaks=1"},
      {"UBSAN_OPTIONS", getenv("UBSAN_OPTIONS") ? getenv("UBSAN_OPTIONS") : "print_stacktrace=1:halt_on_error=1"}};
  std::vector<std::string> arguments = {"--data-dir", data.string(), "--config-dir", config.string(), "--audio", "null",
                                        "--screen", std::to_string(options.width) + "x" + std::to_string(options.height)};
  soak::ServerSwitch server(VORNALO_SERVER_PROGRAM, VORNALO_DEMO_LIBRARY, work);
  if (options.outages) arguments.insert(arguments.end(), {"--server", server.BaseUrl(), "--debug"});
  soak::ProgramWatch watch(options.program, arguments, environment, work, soak::ProgramWatch::Limits{});
  soak::CallSetter calls(options.program, config, work);
  std::string serverError;
  const soak::ProgramWatch::OutsideChange change = [&](const soak::SoakEvent& event) {
    if (event.callChange) calls.Set(event.callCount);
    if (event.serverChange && event.serverUp && !server.Up(serverError)) return;
    if (event.serverChange && !event.serverUp) server.Down();
  };
  soak::FailedStarts failedStarts;

  std::size_t start = 0, runs = 0, exits = 0, failedLines = 0;
  std::size_t fdLeast = SIZE_MAX, fdMost = 0, threadLeast = SIZE_MAX, threadMost = 0;
  std::chrono::milliseconds slowest{0};
  std::string slowestLine, problems, notes;
  while (start < events.size() && problems.empty()) {
    ++runs;
    std::optional<std::size_t> kill;
    if (nextKill < killAt.size()) kill = killAt[nextKill];
    // The client's version check at start needs the server.
    if (options.outages && !server.Up(serverError)) problems += serverError + "\n";
    if (!problems.empty()) break;
    const soak::RunReport report = watch.Run(events, start, events.size(), kill, change);
    if (!serverError.empty()) problems += std::exchange(serverError, std::string()) + "\n";
    if (options.outages) problems += failedStarts.Check(work / ("client-" + std::to_string(start) + ".err"));
    problems += report.problem.empty() ? "" : "run " + std::to_string(runs) + ": " + report.problem + "\n";
    problems += calls.Finish();
    const std::string growth = soak::ProgramWatch::Growth(report.samples);
    if (!growth.empty()) problems += "run " + std::to_string(runs) + ": " + growth + "\n";
    problems += soak::CheckSavedFiles(data, config, calls.Last(), notes);
    failedLines += report.failedLines;
    if (report.slowest > slowest) {
      slowest = report.slowest;
      slowestLine = report.slowestLine;
    }
    for (const soak::ResourceSample& sample : report.samples) {
      fdLeast = std::min(fdLeast, sample.descriptors);
      fdMost = std::max(fdMost, sample.descriptors);
      threadLeast = std::min(threadLeast, sample.threads);
      threadMost = std::max(threadMost, sample.threads);
    }
    if (report.killed) {
      start = killAt[nextKill++] + 1;
    } else if (!report.finished && problems.empty()) {
      ++exits;  // a tap or key on the Options menu's Exit, as a user may
      if (report.handled == 0) problems += "the program ends before its first event\n";
      start += report.handled;
    } else {
      start = events.size();
    }
  }
  const auto seconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began).count() / 1000.0;
  std::printf("seed %llu: %zu events, %zu runs (%zu killed, %zu exited by the user), %.1f s; %zu lines not applicable; slowest %lld ms (%s); "
              "descriptors %zu..%zu, threads %zu..%zu: %s\n",
              static_cast<unsigned long long>(seed), events.size(), runs, nextKill, exits, seconds, failedLines,
              static_cast<long long>(slowest.count()), slowestLine.c_str(), fdLeast == SIZE_MAX ? 0 : fdLeast, fdMost,
              threadLeast == SIZE_MAX ? 0 : threadLeast, threadMost, problems.empty() ? "ok" : "FAILED");
  if (options.outages) {
    std::printf("seed %llu: %zu server outages; %zu failed track starts, at most %zu in a row\n",
                static_cast<unsigned long long>(seed), server.Outages(), failedStarts.total, failedStarts.mostInARow);
  }
  if (!notes.empty()) std::printf("%s", notes.c_str());
  if (!problems.empty()) std::printf("%s", problems.c_str());
  std::fflush(stdout);
  return problems.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (options.print) {
    soak::SoakScript script(options.seeds.front(), options.width, options.height);
    for (const soak::SoakEvent& event : script.Generate(options.events)) {
      std::printf("%s\n", event.line.c_str());
    }
    return 0;
  }
  std::filesystem::path base = options.work;
  const bool temporary = base.empty();
  if (temporary) {
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    std::string pattern = (parent / "vornalo-soak-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
      std::perror("mkdtemp");
      return 2;
    }
    base = pattern;
  }
  bool ok = true;
  for (std::uint64_t seed : options.seeds) ok = SoakSeed(options, base, seed) && ok;
  if (ok && temporary && !options.keep) std::filesystem::remove_all(base);
  else std::printf("work folder: %s\n", base.string().c_str());
  return ok ? 0 : 1;
}
