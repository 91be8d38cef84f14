#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gfx/Geometry.h"
#include "tests/support/TempDir.h"

namespace apptest {

// What a finished run of a program left behind.
struct ProgramResult {
  int exitCode = -1;  // -1 when it did not end by itself in time (it was killed)
  std::string out;
  std::string err;
  double cpuSeconds = 0;  // user and system CPU time of a run that ended by itself
};

// Runs `program` with `arguments` and the environment of this process changed by `environment`,
// standard input from /dev/null and both outputs captured in files under `workDirectory`.
// Kills it after `timeout`.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         const std::filesystem::path& workDirectory,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

// A test that runs the client headless in a folder of its own, which holds a private runtime
// folder, the script, the settings, the data and the dumps.
class ClientRunTest : public ::testing::Test {
 protected:
  ClientRunTest();

  std::string Runtime() const { return (dir_ / "runtime").string(); }
  // Runs the client on `script` over the folder's settings and data, then `args`; a script line
  // "dump NAME" writes the dump NAME into the folder.
  ProgramResult RunClient(const std::string& script, const std::vector<std::string>& args,
                          std::map<std::string, std::string> environment = {},
                          std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // The lines of dump `name` that start with one of `prefixes`; all of them without prefixes.
  std::vector<std::string> DumpLines(const std::string& name, std::initializer_list<const char*> prefixes = {}) const;
  bool DumpHas(const std::string& name, const char* prefix) const { return !DumpLines(name, {prefix}).empty(); }

  testsupport::TempDir dir_;
};

// Script lines that show the Current Playlist and play its first entry from the item popup.
inline constexpr const char* kPlayFirstEntry =
    "post 1124 0 2\n"
    "waitfor text \"stack application playlist\"\n"
    "key Enter\n"
    "waitfor text \"stack application playlist itempopup\"\n"
    "post 1928\n";

// A stand-in browser: a shell script that appends each URL it is started with, one a line, to
// a log. Point $VORNALO_BROWSER at Program().
class BrowserRecorder {
 public:
  explicit BrowserRecorder(const std::filesystem::path& directory);
  const std::string& Program() const { return program_; }
  // The URLs recorded so far.
  std::vector<std::string> Urls() const;
  // Waits until `count` URLs were recorded; the browser runs on after its starter exits.
  bool WaitForUrls(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

 private:
  std::string program_;
  std::filesystem::path log_;
};

// Fetches the server's only featured CueList with the client's own requests and saves its
// tracks as the Current Playlist file `file` titled `title` (settings kept under `configDir`).
// Returns how many tracks were saved: 0 when a request failed or the server did not feature
// exactly one CueList.
std::size_t SaveFeaturedCueListAsPlaylist(const std::string& baseUrl, const std::filesystem::path& configDir,
                                          const std::filesystem::path& file, const std::u16string& title);

// How many pixels differ between two screenshots of the emulated screen inside `inside`, a
// rectangle of the client area (below the 26-pixel title bar), leaving out `except`; -1 when
// a screenshot cannot be read.
int DifferingPixels(const std::filesystem::path& a, const std::filesystem::path& b, platform::Rect inside,
                    platform::Rect except = {});

}  // namespace apptest
