#include "tools/soak/ProgramWatch.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace soak {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kStderrKeep = 1 << 20;
// What a playing track holds besides the fixed set: its playback, download and output threads
// and a catalogue request's, and their socket and wake-up descriptors. A run that plays early
// and not late (or the reverse) differs by this much without anything leaking.
constexpr std::size_t kPlayingThreads = 4;
constexpr std::size_t kPlayingDescriptors = 4;
constexpr const char* kStartPrefix = "script: ";
constexpr const char* kDone = "script: done";
constexpr const char* kFailed = "script: failed: ";

std::size_t CountEntries(const std::filesystem::path& folder) {
  std::error_code error;
  std::size_t count = 0;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) ++count;
  return count;
}

// Reads what is there; false at end of file.
bool Drain(int fd, std::string& into) {
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n <= 0) return n < 0 && errno == EINTR;
  into.append(buffer, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

ProgramWatch::ProgramWatch(std::string program, std::vector<std::string> arguments,
                           std::map<std::string, std::string> environment, std::filesystem::path workDirectory,
                           Limits limits)
    : program_(std::move(program)),
      arguments_(std::move(arguments)),
      environment_(std::move(environment)),
      workDirectory_(std::move(workDirectory)),
      limits_(limits) {}

ResourceSample ProgramWatch::Sample(pid_t pid, std::size_t event) const {
  const std::filesystem::path proc = "/proc/" + std::to_string(pid);
  return ResourceSample{event, CountEntries(proc / "fd"), CountEntries(proc / "task")};
}

std::string ProgramWatch::Stacks(pid_t pid) const {
  const std::filesystem::path file = workDirectory_ / "stacks.txt";
  platform::ChildProcess gdb("/usr/bin/gdb", {"-p", std::to_string(pid), "-batch", "-ex", "thread apply all bt 20"}, {},
                             workDirectory_, file);
  if (!gdb.Started()) return {};
  gdb.Wait();
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ProgramWatch::SanitizerReport(const std::string& text) {
  static const char* const kMarkers[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                                         "WARNING: AddressSanitizer", "ThreadSanitizer"};
  std::size_t at = std::string::npos;
  for (const char* marker : kMarkers) at = std::min(at, text.find(marker));
  if (at == std::string::npos) return {};
  const std::size_t lineStart = text.rfind('\n', at);
  return text.substr(lineStart == std::string::npos ? 0 : lineStart + 1, 4000);
}

std::string ProgramWatch::Growth(const std::vector<ResourceSample>& samples) {
  if (samples.size() < 7) return {};
  // The first sample is skipped: the program may still be starting its threads.
  const std::size_t third = (samples.size() - 1) / 3;
  const auto firstBegin = samples.begin() + 1, firstEnd = firstBegin + static_cast<std::ptrdiff_t>(third);
  const auto lastBegin = samples.end() - static_cast<std::ptrdiff_t>(third);
  std::string growth;
  auto check = [&](const char* what, std::size_t ResourceSample::*field, std::size_t allowance) {
    std::size_t earlyMost = 0, lateLeast = SIZE_MAX;
    for (auto it = firstBegin; it != firstEnd; ++it) earlyMost = std::max(earlyMost, (*it).*field);
    for (auto it = lastBegin; it != samples.end(); ++it) lateLeast = std::min(lateLeast, (*it).*field);
    if (lateLeast > earlyMost + allowance) {
      growth += std::string(growth.empty() ? "" : "; ") + what + " grew: at most " + std::to_string(earlyMost) +
                " early, at least " + std::to_string(lateLeast) + " late";
    }
  };
  check("descriptors", &ResourceSample::descriptors, kPlayingDescriptors);
  check("threads", &ResourceSample::threads, kPlayingThreads);
  return growth;
}

RunReport ProgramWatch::Run(const std::vector<SoakEvent>& events, std::size_t first, std::size_t last,
                            std::optional<std::size_t> killAt, const OutsideChange& change) {
  RunReport report;
  const std::filesystem::path scriptPath = workDirectory_ / "script.txt";
  {
    std::ofstream script(scriptPath, std::ios::trunc);
    for (std::size_t i = first; i < last; ++i) script << events[i].line << '\n';
  }
  std::vector<std::string> arguments = arguments_;
  arguments.insert(arguments.end(), {"--script", scriptPath.string(), "--soak"});
  platform::ChildProcess child(program_, arguments, environment_, workDirectory_);
  if (!child.Started()) {
    report.problem = "cannot start " + program_;
    return report;
  }

  // Everything the client writes is kept beside the script for a look after a failure.
  const std::string stem = (workDirectory_ / ("client-" + std::to_string(first))).string();
  std::ofstream outLog(stem + ".out", std::ios::trunc), errLog(stem + ".err", std::ios::trunc);
  std::string out, err;
  bool outOpen = true, errOpen = true;
  std::size_t next = first;  // the next event to start
  bool inFlight = false;
  Clock::time_point startedAt = Clock::now();
  Clock::time_point deadline = startedAt + limits_.startup;
  auto fail = [&](const std::string& problem) {
    if (report.problem.empty()) report.problem = problem;
  };

  while (outOpen || errOpen) {
    pollfd fds[2] = {{child.StdoutFd(), POLLIN, 0}, {child.StderrFd(), POLLIN, 0}};
    if (!outOpen) fds[0].fd = -1;
    if (!errOpen) fds[1].fd = -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int ready = ::poll(fds, 2, static_cast<int>(std::clamp<long long>(left, 0, 100)));
    if (ready > 0 && (fds[1].revents & (POLLIN | POLLHUP))) {
      const std::size_t before = err.size();
      errOpen = Drain(fds[1].fd, err);
      errLog.write(err.data() + before, static_cast<std::streamsize>(err.size() - before));
      if (err.size() > kStderrKeep) err.erase(0, err.size() - kStderrKeep);
    }
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
      const std::size_t before = out.size();
      outOpen = Drain(fds[0].fd, out);
      outLog.write(out.data() + before, static_cast<std::streamsize>(out.size() - before));
    }
    for (std::size_t end; (end = out.find('\n')) != std::string::npos; out.erase(0, end + 1)) {
      const std::string line = out.substr(0, end);
      if (line.rfind(kStartPrefix, 0) != 0) continue;
      const Clock::time_point now = Clock::now();
      if (!inFlight) {
        if (next >= last) continue;
        inFlight = true;
        startedAt = now;
        deadline = now + limits_.answer + std::chrono::milliseconds(events[next].extraMs);
        if (killAt && next == *killAt) {
          child.Kill(SIGKILL);
          child.Wait();
          report.killed = true;
          return report;
        }
        if ((events[next].callChange || events[next].serverChange) && change) {
          change(events[next]);
          // The change may have waited for the one before: the line is timed from here.
          startedAt = Clock::now();
          deadline = startedAt + limits_.answer + std::chrono::milliseconds(events[next].extraMs);
        }
        continue;
      }
      const bool done = line == kDone, failed = line.rfind(kFailed, 0) == 0;
      if (!done && !failed) continue;
      inFlight = false;
      report.failedLines += failed ? 1 : 0;
      const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(now - startedAt);
      if (took > report.slowest) {
        report.slowest = took;
        report.slowestLine = events[next].line;
      }
      ++report.handled;
      ++next;
      if ((next - first) % limits_.sampleEvery == 0) report.samples.push_back(Sample(child.Pid(), next));
      deadline = now + (next < last ? limits_.answer : limits_.exit);
    }
    if (Clock::now() >= deadline) {
      if (!report.problem.empty()) break;  // killed once already; a descendant may hold the pipes
      const std::string what = inFlight ? "event " + std::to_string(next) + " (" + events[next].line +
                                              ") not answered within " +
                                              std::to_string((limits_.answer.count() + events[next].extraMs)) + " ms"
                               : next == first ? "no event started within the start-up limit"
                                               : "the program did not end after its last event";
      fail("hang: " + what + "\n" + Stacks(child.Pid()));
      child.Kill(SIGKILL);
      deadline = Clock::now() + limits_.exit;
    }
  }
  child.Wait();
  const std::string sanitizer = SanitizerReport(err);
  if (!sanitizer.empty()) fail("sanitizer report:\n" + sanitizer);
  if (child.Describe() != "exit 0") {
    fail("the program ended with " + child.Describe() + " after event " + std::to_string(next) + "; its last output:\n" +
         err.substr(err.size() > 3000 ? err.size() - 3000 : 0));
  }
  report.finished = report.problem.empty() && next == last;
  return report;
}

}  // namespace soak
