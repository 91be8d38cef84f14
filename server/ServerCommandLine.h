#pragma once

#include <string>
#include <vector>

#include "server/ServerOptions.h"

namespace server {

// The command line of vornalo-server.
class ServerCommandLine {
 public:
  enum class Outcome { kRun, kHelp, kError };

  // Fills options from the arguments (without the program name). On kError, error says why.
  // Without --db the index lives in the user's cache folder, named after the library.
  static Outcome Parse(const std::vector<std::string>& arguments, ServerOptions& options, bool& debug,
                       std::string& error);
  static const char* Usage();
  // $XDG_CACHE_HOME/vornalo/index-<hash of the library path>.sqlite (or under ~/.cache).
  static std::string DefaultDatabasePath(const std::filesystem::path& library);
};

}  // namespace server
