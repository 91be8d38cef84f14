#include "tests/app/ProgramRun.h"

#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <regex>
#include <sstream>
#include <thread>

#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "core/AppSettings.h"
#include "platform/ChildProcess.h"
#include "platform/RegistryStore.h"
#include "playlist/PlaylistFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"
#include "ui/STScreenBuffer.h"

namespace apptest {

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment,
                         const std::filesystem::path& workDirectory, std::chrono::milliseconds timeout) {
  std::map<std::string, std::string> changes = environment;
  changes.emplace("XDG_CACHE_HOME", (workDirectory / "cache").string());  // the embedded server's index

  // Runs may start from several threads of one test.
  static std::atomic<int> runCount{0};
  const std::string stem = (workDirectory / ("run-" + std::to_string(++runCount))).string();
  const std::string outPath = stem + ".out", errPath = stem + ".err";
  platform::ChildProcess child(program, arguments, changes, {}, outPath, errPath);
  ProgramResult result;
  if (!child.Started()) {
    result.err = "cannot start " + program;
    return result;
  }
  if (testsupport::WaitUntil([&] { return child.Poll(); }, timeout)) {
    result.exitCode = child.ExitCode();
    result.cpuSeconds = child.CpuSeconds();
  } else {
    child.Kill(SIGKILL);
    child.Wait();
  }
  result.out = testsupport::ReadFile(outPath);
  result.err = testsupport::ReadFile(errPath);
  return result;
}

ClientRunTest::ClientRunTest() {
  std::filesystem::create_directory(Runtime());
  ::chmod(Runtime().c_str(), 0700);
}

ProgramResult ClientRunTest::RunClient(const std::string& script, const std::vector<std::string>& args,
                                       std::map<std::string, std::string> environment,
                                       std::chrono::milliseconds timeout) {
  testsupport::WriteFile(dir_ / "script.txt",
                         std::regex_replace(script, std::regex("(^|\n)dump "), "$1dump " + dir_.Path().string() + "/"));
  std::vector<std::string> all{"--script", (dir_ / "script.txt").string(), "--config-dir", (dir_ / "config").string(),
                               "--data-dir", dir_.Path().string()};
  all.insert(all.end(), args.begin(), args.end());
  environment["XDG_RUNTIME_DIR"] = Runtime();
  return RunProgram(VORNALO_PROGRAM, all, environment, dir_.Path(), timeout);
}

std::vector<std::string> ClientRunTest::DumpLines(const std::string& name,
                                                  std::initializer_list<const char*> prefixes) const {
  std::istringstream in(testsupport::ReadFile(dir_ / name));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    bool wanted = prefixes.size() == 0;
    for (const char* prefix : prefixes) wanted = wanted || line.rfind(prefix, 0) == 0;
    if (wanted) lines.push_back(line);
  }
  return lines;
}

BrowserRecorder::BrowserRecorder(const std::filesystem::path& directory)
    : program_((directory / "browser.sh").string()), log_(directory / "browser.log") {
  testsupport::WriteFile(program_, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log_.string() + "'\n");
  std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
}

std::vector<std::string> BrowserRecorder::Urls() const {
  std::istringstream in(testsupport::ReadFile(log_));
  std::vector<std::string> urls;
  for (std::string line; std::getline(in, line);) urls.push_back(line);
  return urls;
}

bool BrowserRecorder::WaitForUrls(std::size_t count, std::chrono::milliseconds timeout) const {
  return testsupport::WaitUntil([&] { return Urls().size() >= count; }, timeout);
}

std::size_t SaveFeaturedCueListAsPlaylist(const std::string& baseUrl, const std::filesystem::path& configDir,
                                          const std::filesystem::path& file, const std::u16string& title) {
  platform::RegistryStore store(configDir);
  core::AppSettings settings(store, [](std::uint8_t*, std::size_t*) { return -1; });
  catalogue::FeaturedCueListsRequest featured(baseUrl, settings);
  featured.pageSize = 10;
  featured.buildUrl("");
  if (featured.run(0) != 1 || featured.resultCount() != 1) return 0;
  catalogue::CueListTracksRequest tracks(baseUrl, settings);
  tracks.buildUrl(featured.itemAt(0)->playlist_id);
  if (tracks.run(0) != 1) return 0;
  std::vector<const catalogue::AudioCueRecord*> records;
  for (std::size_t i = 0; i < tracks.resultCount(); ++i) records.push_back(tracks.itemAt(i));
  std::string error;
  return playlist::playlistfile::Save(file, title, records, error) ? records.size() : 0;
}

int DifferingPixels(const std::filesystem::path& a, const std::filesystem::path& b, platform::Rect inside,
                    platform::Rect except) {
  constexpr std::int32_t kTitleBar = 26;
  ui::STScreenBuffer first, second;
  if (!first.LoadPng(a.c_str()) || !second.LoadPng(b.c_str())) return -1;
  int count = 0;
  for (std::int32_t y = inside.top; y < inside.bottom; ++y) {
    for (std::int32_t x = inside.left; x < inside.right; ++x) {
      if (!except.Contains(x, y) && first.DecodedPixel(x, y + kTitleBar) != second.DecodedPixel(x, y + kTitleBar)) ++count;
    }
  }
  return count;
}

}  // namespace apptest
