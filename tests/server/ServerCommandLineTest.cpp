#include "server/ServerCommandLine.h"

#include <gtest/gtest.h>

namespace {

using server::ServerCommandLine;
using Outcome = ServerCommandLine::Outcome;

struct Case {
  std::vector<std::string> arguments;
  Outcome outcome;
};

TEST(ServerCommandLineTest, AcceptsTheDocumentedOptionsAndRefusesTheRest) {
  const Case cases[] = {
      {{"--library", "/music"}, Outcome::kRun},
      {{"--help"}, Outcome::kHelp},
      {{"--library", "/m", "--port", "0", "--host", "0.0.0.0", "--db", "/tmp/x", "--api-key", "k",
        "--version-reply", "required,http://x", "--article-base", "http://w/", "--timeout", "5", "--debug"},
       Outcome::kRun},
      {{}, Outcome::kError}, {{"--port", "80"}, Outcome::kError}, {{"--library"}, Outcome::kError},
      {{"--library", "/m", "--port", "65536"}, Outcome::kError},
      {{"--library", "/m", "--port", "-1"}, Outcome::kError},
      {{"--library", "/m", "--timeout", "0"}, Outcome::kError},
      {{"--library", "/m", "--frobnicate", "1"}, Outcome::kError}, {{"--library", "/m", "stray"}, Outcome::kError},
      {{"--library", "/m", "--rescan-interval", "x"}, Outcome::kError},
      {{"--library", "/m", "--rescan-interval", "99999999"}, Outcome::kError},
      {{"--library", "/m", "--transcode-bitrate", "320", "--transcode-cache-mb", "0"}, Outcome::kRun},
      {{"--library", "/m", "--transcode-bitrate", "250"}, Outcome::kError},
      {{"--library", "/m", "--transcode-bitrate", "384"}, Outcome::kError},
      {{"--library", "/m", "--transcode-cache-mb", "-5"}, Outcome::kError},
  };
  for (const Case& c : cases) {
    server::ServerOptions options;
    bool debug = false;
    std::string error;
    EXPECT_EQ(ServerCommandLine::Parse(c.arguments, options, debug, error), c.outcome)
        << (c.arguments.empty() ? "(none)" : c.arguments.back());
    if (c.outcome == Outcome::kError) {
      EXPECT_FALSE(error.empty());
    }
  }
}

TEST(ServerCommandLineTest, PublicUrlLosesItsSlashAndEachLibraryHasItsOwnDatabase) {
  server::ServerOptions options;
  bool debug = true;
  std::string error;
  ASSERT_EQ(ServerCommandLine::Parse({"--library", "/music", "--public-url", "http://h:1/"}, options, debug, error),
            Outcome::kRun);
  EXPECT_EQ(options.publicUrl, "http://h:1");
  EXPECT_EQ(options.dbPath, ServerCommandLine::DefaultDatabasePath("/music"));
  EXPECT_NE(ServerCommandLine::DefaultDatabasePath("/music"), ServerCommandLine::DefaultDatabasePath("/other"));
  EXPECT_TRUE(options.watch);
  EXPECT_EQ(options.rescanInterval.count(), 0);
  ASSERT_EQ(ServerCommandLine::Parse({"--library", "/m", "--no-watch", "--rescan-interval", "15", "--host", "::"},
                                     options, debug, error), Outcome::kRun);
  EXPECT_FALSE(options.watch);
  EXPECT_EQ(options.rescanInterval.count(), 15);
  EXPECT_EQ(options.host, "::");
  EXPECT_EQ(options.transcodeBitrate, 256);
  ASSERT_EQ(ServerCommandLine::Parse({"--library", "/m", "--transcode-bitrate", "128", "--transcode-cache-mb", "3"},
                                     options, debug, error), Outcome::kRun);
  EXPECT_EQ(options.transcodeBitrate, 128);
  EXPECT_EQ(options.transcodeCacheBytes, 3 * 1024 * 1024);
}

}  // namespace
