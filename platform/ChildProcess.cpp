#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace platform {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& environment,
                           const std::filesystem::path& workDirectory, const std::filesystem::path& outputFile,
                           const std::filesystem::path& errorFile) {
  std::map<std::string, std::string> merged;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text(*entry);
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : environment) merged[name] = value;
  std::vector<std::string> envText;
  for (const auto& [name, value] : merged) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText{program};
  argText.insert(argText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : argText) argv.push_back(text.data());
  argv.push_back(nullptr);

  const bool outPiped = outputFile.empty();
  const bool errPiped = outPiped && errorFile.empty();
  int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
  if (outPiped && ::pipe2(outPipe, O_CLOEXEC) != 0) return;
  out_.Reset(outPipe[0]);
  UniqueFd outWrite(outPipe[1]);
  if (errPiped && ::pipe2(errPipe, O_CLOEXEC) != 0) return;
  err_.Reset(errPipe[0]);
  UniqueFd errWrite(errPipe[1]);

  constexpr int kCreate = O_WRONLY | O_CREAT | O_TRUNC;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outPiped) {
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), kCreate, 0600);
  }
  if (errPiped) {
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  } else if (!errorFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), kCreate, 0600);
  } else {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  if (!workDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDirectory.c_str());
  if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !ended_) {
    Kill(SIGKILL);
    Wait();
  }
}

void ChildProcess::Reap(int options) {
  const pid_t done = ::wait4(pid_, &status_, options, &usage_);
  if (done == pid_ || (done < 0 && errno != EINTR)) ended_ = true;
}

bool ChildProcess::Poll() {
  if (pid_ > 0 && !ended_) Reap(WNOHANG);
  return ended_;
}

void ChildProcess::Wait() {
  while (pid_ > 0 && !ended_) Reap(0);
}

void ChildProcess::Kill(int signal) {
  if (pid_ > 0 && !ended_) ::kill(pid_, signal);
}

int ChildProcess::ExitCode() const { return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }

double ChildProcess::CpuSeconds() const {
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage_.ru_utime) + seconds(usage_.ru_stime);
}

std::string ChildProcess::Describe() const {
  if (!ended_) return "running";
  if (WIFSIGNALED(status_)) return "signal " + std::to_string(WTERMSIG(status_));
  return "exit " + std::to_string(WEXITSTATUS(status_));
}

}  // namespace platform
