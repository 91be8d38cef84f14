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

// Runs `program` with `environment` added, stdin from /dev/null, outputs captured under
// `workDirectory`; killed after `timeout`.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         const std::filesystem::path& workDirectory,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Runs the client headless in a folder of its own (runtime, script, settings, data, dumps).
class ClientRunTest : public ::testing::Test {
 protected:
  ClientRunTest();

  std::string Runtime() const { return (dir_ / "runtime").string(); }
  // Runs the client on `script` with `args`; "dump NAME" writes dump NAME into the folder.
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

// A stand-in browser appending each URL it is given to a log; point $VORNALO_BROWSER at Program().
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

// Saves the server's only featured CueList as the playlist file `file` titled `title`; the
// number of tracks saved, 0 on failure or not exactly one CueList.
std::size_t SaveFeaturedCueListAsPlaylist(const std::string& baseUrl, const std::filesystem::path& configDir,
                                          const std::filesystem::path& file, const std::u16string& title);

// Pixels differing between two screenshots inside `inside` (client coordinates, below the
// title bar), leaving out `except`; -1 when one cannot be read.
int DifferingPixels(const std::filesystem::path& a, const std::filesystem::path& b, platform::Rect inside,
                    platform::Rect except = {});

}  // namespace apptest
