#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "app/PhoneState.h"
#include "platform/RegistryStore.h"
#include "tests/support/TempDir.h"
#include "tools/soak/ProgramWatch.h"
#include "tools/soak/SoakFiles.h"
#include "tools/soak/SoakScript.h"

namespace soak {
namespace {

using namespace std::chrono_literals;

// A seed repeats its events; taps stay inside either orientation; every action, none that quits.
TEST(SoakScriptTest, SeededEventsStayInsideTheWindowAndNeverExit) {
  const std::vector<SoakEvent> events = SoakScript(5).Generate(5000);
  const std::vector<SoakEvent> again = SoakScript(5).Generate(5000);
  const std::vector<SoakEvent> other = SoakScript(6).Generate(5000);
  ASSERT_EQ(events.size(), 5000u);
  std::size_t same = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].line, again[i].line);
    same += events[i].line == other[i].line ? 1 : 0;
  }
  EXPECT_LT(same, 2500u);

  bool rotated = false;
  std::set<std::string> kinds;
  for (const SoakEvent& event : events) {
    const std::string kind = event.line.substr(0, event.line.find(' '));
    kinds.insert(kind);
    EXPECT_EQ(event.line.find("Exit"), std::string::npos);
    EXPECT_NE(event.line, "key Ctrl+Q");
    EXPECT_NE(kind, "quit");
    if (event.line == "rotate" || event.line == "key Ctrl+R") rotated = !rotated;
    if (kind != "tap" && kind != "stroke") continue;
    const int width = rotated ? 320 : 240, height = (rotated ? 240 : 320) - 52;
    std::istringstream numbers(event.line.substr(kind.size()));
    for (int x, y; numbers >> x >> y;) {
      EXPECT_TRUE(x >= 0 && x < width && y >= 0 && y < height) << event.line << (rotated ? " (rotated)" : "");
    }
  }
  for (const char* kind : {"tap", "stroke", "key", "text", "char", "softkey", "menu", "rotate", "wait", "dump"}) {
    EXPECT_EQ(kinds.count(kind), 1u) << kind;
  }
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const SoakEvent& e) { return e.callChange; }));
  EXPECT_FALSE(std::any_of(events.begin(), events.end(), [](const SoakEvent& e) { return e.serverChange; }));

  // With outages the same kinds, and the server goes away and comes back in turn.
  std::vector<bool> states;
  for (const SoakEvent& event : SoakScript(5, 240, 320, true).Generate(5000)) {
    if (event.serverChange) states.push_back(event.serverUp);
  }
  ASSERT_GT(states.size(), 20u);
  for (std::size_t i = 0; i < states.size(); ++i) EXPECT_EQ(states[i], i % 2 == 1) << i;
}

// Failures counted; a run of them longer than the playlist is a fault (cycling, not stopping).
TEST(FailedStartsTest, MoreFailuresInARowThanEntriesIsAFault) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir / "ok.err",
                         "entry 1 failed to start (1 in a row of 2)\nother\nentry 0 failed to start (2 in a row of 2)\n");
  FailedStarts ok;
  EXPECT_EQ(ok.Check(dir / "ok.err"), "");
  EXPECT_EQ(ok.total, 2u);
  EXPECT_EQ(ok.mostInARow, 2u);
  testsupport::WriteFile(dir / "loop.err", "entry 1 failed to start (3 in a row of 2)\n");
  FailedStarts loop;
  EXPECT_NE(loop.Check(dir / "loop.err"), "");
}

// The watch fails a hung, crashed, sanitizer-flagged or unfinished client and passes a good one.
TEST(ProgramWatchTest, FindsHangsCrashesAndSanitizerReports) {
  struct Case {
    const char* name;
    const char* body;  // run after the arguments, for three events
    const char* problem;  // expected in the report; empty for a clean run
  };
  const Case cases[] = {
      {"clean", "for i in 1 2 3; do echo \"script: tap 1 1\"; echo 'script: done'; done", ""},
      {"hang", "echo 'script: tap 1 1'; sleep 10", "not answered within 300 ms"},
      {"crash", "echo 'script: tap 1 1'; echo 'script: done'; kill -SEGV $$", "signal 11"},
      {"sanitizer", "echo 'ERROR: AddressSanitizer: heap-use-after-free' >&2; exit 0", "heap-use-after-free"},
      {"exit code", "exit 3", "exit 3"},
  };
  const std::vector<SoakEvent> events = SoakScript(1).Generate(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    const std::string program = (dir / "client.sh").string();
    testsupport::WriteFile(program, std::string("#!/bin/sh\n") + c.body + "\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    ProgramWatch::Limits limits;
    limits.answer = 300ms;
    limits.startup = 2s;
    limits.exit = 2s;
    ProgramWatch watch(program, {}, {}, dir.Path(), limits);
    const RunReport report = watch.Run(events, 0, events.size(), std::nullopt, nullptr);
    if (*c.problem == '\0') {
      EXPECT_EQ(report.problem, "");
      EXPECT_TRUE(report.finished);
      EXPECT_EQ(report.handled, 3u);
    } else {
      EXPECT_NE(report.problem.find(c.problem), std::string::npos) << report.problem;
      EXPECT_FALSE(report.finished);
    }
  }
}

// Counts that only go up are growth; one that comes back down, or a late track, is not.
TEST(ProgramWatchTest, GrowthIsALateFloorAboveTheEarlyPeak) {
  auto samples = [](std::vector<std::size_t> fds) {
    std::vector<ResourceSample> out;
    for (std::size_t i = 0; i < fds.size(); ++i) out.push_back({i, fds[i], 4});
    return out;
  };
  EXPECT_EQ(ProgramWatch::Growth(samples({9, 10, 11, 10, 12, 10, 11, 10, 12, 10})), "");
  EXPECT_EQ(ProgramWatch::Growth(samples({30, 10, 11, 12, 13, 14, 16, 17, 18, 19})).rfind("descriptors grew", 0), 0u);
  EXPECT_EQ(ProgramWatch::Growth(samples({9, 10, 10, 10, 10, 12, 12, 14, 14, 14})), "");
  EXPECT_EQ(ProgramWatch::Growth(samples({10, 10, 10})), "");  // too few to tell
}

// Left on disk: whole playlist records and a store holding the last count; damage fails.
TEST(SoakFilesTest, SavedFilesMustLoadWhole) {
  struct Case {
    const char* name;
    std::size_t playlistBytes;  // SIZE_MAX: no file
    const char* store;          // nullptr: the store as written by the store itself
    std::optional<std::uint32_t> callCount;
    const char* fault;          // expected in the faults; empty for none
  };
  const std::size_t whole = 255 + 2 * 4096;
  const Case cases[] = {
      {"nothing saved", SIZE_MAX, "", std::nullopt, ""},
      {"empty playlist", 0, nullptr, 2u, ""},
      {"two records", whole, nullptr, 2u, ""},
      {"cut record", whole - 100, nullptr, 2u, "partial record"},
      {"corrupt store", whole, "[unterminated", std::nullopt, "does not parse"},
      {"lost call count", whole, nullptr, 3u, "lost the call count 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    if (c.playlistBytes != SIZE_MAX) testsupport::WriteFile(dir / "data.dat", std::string(c.playlistBytes, '\0'));
    if (c.store == nullptr) {
      platform::RegistryStore(dir.Path()).SetValue(app::kPhoneStateKey, app::kActiveCallCountValue, platform::RegistryValue::Dword(2));
    } else if (*c.store != '\0') {
      testsupport::WriteFile(dir / platform::RegistryStore::kFileName, c.store);
    }
    std::string notes;
    const std::string faults = CheckSavedFiles(dir.Path(), dir.Path(), c.callCount, notes);
    if (*c.fault == '\0') {
      EXPECT_EQ(faults, "");
    } else {
      EXPECT_NE(faults.find(c.fault), std::string::npos) << faults;
    }
  }
}

}  // namespace
}  // namespace soak
