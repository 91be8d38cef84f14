// `cmake --install` into a fresh prefix: the installed client answers --help, starts headless
// from there over the installed demo library with its pictures found, and keeps the Current
// Playlist in the user's data folder rather than beside the program.

#include <gtest/gtest.h>

#include <sstream>

#include "tests/app/ProgramRun.h"

namespace {

using InstallTest = apptest::ClientRunTest;

TEST_F(InstallTest, InstalledClientFindsItsFilesAndKeepsDataInTheUsersFolder) {
  const std::filesystem::path prefix = dir_ / "prefix";
  const apptest::ProgramResult install =
      apptest::RunProgram(VORNALO_CMAKE, {"--install", VORNALO_BUILD_DIR, "--prefix", prefix.string()}, {}, dir_.Path(),
                          std::chrono::seconds(120));
  ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  for (const char* file : {"bin/vornalo", "bin/vornalo-server", "share/applications/vornalo.desktop",
                           "share/icons/hicolor/256x256/apps/vornalo.png", "share/icons/hicolor/64x64/apps/vornalo.png",
                           "share/vornalo/qvga/tab_resources/tab_middle.png", "share/vornalo/vga/tab_resources/tab_middle.png",
                           "share/vornalo/demo-library"}) {
    EXPECT_TRUE(std::filesystem::exists(prefix / file)) << file;
  }
  const std::string program = (prefix / "bin/vornalo").string();
  const apptest::ProgramResult help = apptest::RunProgram(program, {"--help"}, {}, dir_.Path());
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_NE(help.out.find("usage: vornalo"), std::string::npos) << help.out;

  testsupport::WriteFile(dir_ / "script.txt", "waitfor message 15\ndump " + (dir_ / "dump.txt").string() +
                                                 "\nquit\n");
  const apptest::ProgramResult run = apptest::RunProgram(
      program, {"--script", (dir_ / "script.txt").string(), "--debug"},
      {{"XDG_RUNTIME_DIR", Runtime()}, {"XDG_CONFIG_HOME", (dir_ / "config").string()},
       {"XDG_DATA_HOME", (dir_ / "data").string()}, {"HOME", dir_.Path().string()}},
      dir_.Path(), std::chrono::seconds(60));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  // The Featured tab (no "Missing Files": the installed pictures were found) over the
  // installed demo library.
  const std::string dump = testsupport::ReadFile(dir_ / "dump.txt");
  EXPECT_EQ(dump.rfind("tab 1 Featured\n", 0), 0u) << dump;
  EXPECT_NE(run.err.find("over " + (prefix / "bin").string() + "/../share/vornalo/demo-library"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("resources " + (prefix / "bin").string() + "/../share/vornalo/qvga"), std::string::npos)
      << run.err;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "data/vornalo/data.dat"));
  EXPECT_FALSE(std::filesystem::exists(prefix / "bin/data.dat"));
}

}  // namespace
