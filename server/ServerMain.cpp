// vornalo-server: the catalogue server over a music folder.

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/DebugLog.h"
#include "server/CatalogueServer.h"
#include "server/ServerCommandLine.h"

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(200);

}  // namespace

int main(int argc, char** argv) {
  server::ServerOptions options;
  bool debug = false;
  std::string error;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  switch (server::ServerCommandLine::Parse(arguments, options, debug, error)) {
    case server::ServerCommandLine::Outcome::kHelp:
      std::fputs(server::ServerCommandLine::Usage(), stdout);
      return 0;
    case server::ServerCommandLine::Outcome::kError:
      std::fprintf(stderr, "vornalo-server: %s\n\n%s", error.c_str(), server::ServerCommandLine::Usage());
      return 2;
    case server::ServerCommandLine::Outcome::kRun:
      break;
  }
  platform::SetDebugOutputEnabled(debug);

  // Blocked here so that the server's thread inherits the mask and sigwait below receives them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  auto lastReport = std::chrono::steady_clock::now() - kProgressInterval;
  options.progress = [&lastReport](int64_t done, int64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (done != total && now - lastReport < kProgressInterval) return;
    lastReport = now;
    std::fprintf(stderr, "\rscanning: %lld / %lld files", static_cast<long long>(done), static_cast<long long>(total));
    if (done == total) std::fputc('\n', stderr);
  };

  options.log = [](const std::string& line) { std::fprintf(stderr, "vornalo-server: %s\n", line.c_str()); };
  std::fprintf(stderr, "vornalo-server: index %s\n", options.dbPath.c_str());
  server::CatalogueServer catalogue;
  if (!catalogue.Start(options)) {
    std::fprintf(stderr, "vornalo-server: cannot start over %s on %s:%u\n", options.library.c_str(),
                 options.host.c_str(), options.port);
    return 1;
  }
  const server::ScanStats& stats = catalogue.LastScan();
  std::fprintf(stderr, "vornalo-server: %lld tracks (%lld read, %lld unreadable), %lld playlists\n",
               static_cast<long long>(stats.tracks), static_cast<long long>(stats.tagsRead),
               static_cast<long long>(stats.failed), static_cast<long long>(stats.playlists));
  std::printf("vornalo-server: serving %s at %s/\n", options.library.c_str(), catalogue.BaseUrl().c_str());
  std::fflush(stdout);

  // SIGHUP asks for a full rescan; SIGINT and SIGTERM stop the server.
  int signal = 0;
  while (sigwait(&stopSignals, &signal) == 0 && signal == SIGHUP) {
    std::fprintf(stderr, "vornalo-server: rescanning\n");
    catalogue.RescanNow();
  }
  std::fprintf(stderr, "vornalo-server: stopping\n");
  catalogue.Stop();
  return 0;
}
