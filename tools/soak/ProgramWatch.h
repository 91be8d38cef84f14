#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tools/soak/SoakScript.h"

namespace soak {

// Open descriptors and threads of the client after an event.
struct ResourceSample {
  std::size_t event = 0;
  std::size_t descriptors = 0;
  std::size_t threads = 0;
};

// What one run of the client did with its part of the events.
struct RunReport {
  std::size_t handled = 0;       // events acknowledged
  std::size_t failedLines = 0;   // lines the driver could not carry out (a menu entry not shown)
  bool killed = false;           // killed on purpose at `killAt`
  bool finished = false;         // ended by itself after the last event, with exit code 0
  std::string problem;           // empty when nothing went wrong: crash, hang, sanitizer report
  std::chrono::milliseconds slowest{0};
  std::string slowestLine;
  std::vector<ResourceSample> samples;
};

// Runs the client over a slice of events in soak mode and watches it: every line must be
// acknowledged within `answerLimit` (plus the line's own wait), the process must end with code
// 0 and write no sanitizer report. Samples /proc/PID/fd and /proc/PID/task every
// `sampleEvery` events.
class ProgramWatch {
 public:
  struct Limits {
    std::chrono::milliseconds answer{2000};
    std::chrono::milliseconds startup{120000};
    std::chrono::milliseconds exit{30000};
    std::size_t sampleEvery = 100;
  };
  // Makes the change an event asks of the outside (a call, the server), as it starts.
  using OutsideChange = std::function<void(const SoakEvent& event)>;

  ProgramWatch(std::string program, std::vector<std::string> arguments,
               std::map<std::string, std::string> environment, std::filesystem::path workDirectory, Limits limits);

  // Runs events [first, last); kills the client with SIGKILL as event `killAt` starts. Events
  // that change the call count or the server call `change` as they start. `first` is the
  // index the reports and samples use for the slice's first event.
  RunReport Run(const std::vector<SoakEvent>& events, std::size_t first, std::size_t last,
                std::optional<std::size_t> killAt, const OutsideChange& change);

  // The first lines of a sanitizer report in `text`, or empty.
  static std::string SanitizerReport(const std::string& text);
  // Growth of descriptors or threads across the samples: the least seen in the last third is
  // above the most seen in the first third (after the first sample) by more than a playing
  // track holds. Empty when none.
  static std::string Growth(const std::vector<ResourceSample>& samples);

 private:
  ResourceSample Sample(pid_t pid, std::size_t event) const;
  std::string Stacks(pid_t pid) const;

  std::string program_;
  std::vector<std::string> arguments_;
  std::map<std::string, std::string> environment_;
  std::filesystem::path workDirectory_;
  Limits limits_;
};

}  // namespace soak
