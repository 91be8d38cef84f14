#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace platform {

// A program started with posix_spawnp (a name without a slash is looked up in PATH), in
// `workDirectory` (this process's when empty), with this process's environment changed by
// `environment` and standard input from /dev/null.
// Standard output goes to `outputFile`, or to a pipe this side reads when it is empty.
// Standard error goes to `errorFile`; when that is empty, to `outputFile` too, or to a pipe of
// its own when both are empty. The destructor kills and reaps a child still running.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment, const std::filesystem::path& workDirectory,
               const std::filesystem::path& outputFile = {}, const std::filesystem::path& errorFile = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // The read ends of the output pipes; -1 for an output that goes to a file.
  int StdoutFd() const { return out_.Get(); }
  int StderrFd() const { return err_.Get(); }

  // True once the child has ended (reaped); `status` is waitpid's.
  bool Poll();
  // Waits for the end.
  void Wait();
  void Kill(int signal);
  bool Ended() const { return ended_; }
  int Status() const { return status_; }
  // The exit code of a child that ended by itself; -1 while running or after a signal.
  int ExitCode() const;
  // User plus system CPU time of the ended child, in seconds; 0 while it runs.
  double CpuSeconds() const;
  // "exit N" or "signal N".
  std::string Describe() const;

 private:
  void Reap(int options);

  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
  rusage usage_{};
  UniqueFd out_;
  UniqueFd err_;
};

}  // namespace platform
