#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace soak {

// A program started with posix_spawn in its own working folder, with this process's
// environment changed by `environment` and standard input from /dev/null. Its standard output
// and error are pipes this side reads, or files when `outputFile` is given. The destructor
// kills and reaps a child still running.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment, const std::filesystem::path& workDirectory,
               const std::filesystem::path& outputFile = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  int StdoutFd() const { return out_.Get(); }
  int StderrFd() const { return err_.Get(); }

  // True once the child has ended (reaped); `status` is waitpid's.
  bool Poll();
  // Waits for the end.
  void Wait();
  void Kill(int signal);
  bool Ended() const { return ended_; }
  int Status() const { return status_; }
  // "exit N" or "signal N".
  std::string Describe() const;

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
  platform::UniqueFd out_;
  platform::UniqueFd err_;
};

}  // namespace soak
