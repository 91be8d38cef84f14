#include "platform/BrowserLauncher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/DebugLog.h"

extern char** environ;

namespace platform {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool IsBrowsableUrl(std::string_view url) {
  for (char c : url) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  std::string_view rest;
  if (StartsWithNoCase(url, "http://")) {
    rest = url.substr(7);
  } else if (StartsWithNoCase(url, "https://")) {
    rest = url.substr(8);
  } else {
    return false;
  }
  return !rest.empty() && rest.front() != '/';
}

pid_t LaunchBrowser(std::string_view url) {
  if (!IsBrowsableUrl(url)) {
    DebugPrintf("browser not started: refused URL \"%.*s\"", static_cast<int>(url.size()), url.data());
    return -1;
  }
  const char* configured = std::getenv("VORNALO_BROWSER");
  std::string program = configured && *configured ? configured : "xdg-open";
  std::string argument(url);
  char* argv[] = {program.data(), argument.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    DebugPrintf("browser %s could not be started: %s", program.c_str(), std::strerror(rc));
    return -1;
  }
  // Nobody waits for the browser; reap it so that no zombie is left behind.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return pid;
}

}  // namespace platform
