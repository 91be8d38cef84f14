#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>

#include "core/Utilities.h"
#include "platform/BrowserLauncher.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

// Points $VORNALO_BROWSER at a script that records its arguments, one a line, after a count.
class OpenInBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script_ = dir_ / "browser.sh";
    record_ = dir_ / "args.txt";
    testsupport::WriteFile(script_, "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" +
                                        record_.string() + ".part'\nmv '" + record_.string() +
                                        ".part' '" + record_.string() + "'\n");
    ::chmod(script_.c_str(), 0755);
    ::setenv("VORNALO_BROWSER", script_.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("VORNALO_BROWSER"); }

  // The recorded arguments, waiting up to five seconds for the script to finish.
  std::string Recorded() {
    testsupport::WaitUntil([&] { return std::filesystem::exists(record_); }, std::chrono::seconds(5));
    return testsupport::ReadFile(record_);
  }

  testsupport::TempDir dir_;
  std::filesystem::path script_, record_;
};

TEST_F(OpenInBrowserTest, PassesHttpAndHttpsUrlsAsOneArgumentWithoutAShell) {
  for (const std::string url : {"http://a/b?c=d&e=$(id)", "HTTPS://en.wikipedia.org/wiki/Simon_%26_Garfunkel"}) {
    std::filesystem::remove(record_);
    core::OpenInBrowser(url.c_str());
    EXPECT_EQ(Recorded(), "1\n" + url + "\n");
  }
}

TEST_F(OpenInBrowserTest, RefusesEverythingButHttpAndHttpsAndReportsAMissingBrowser) {
  for (const char* url : {"file:///etc/passwd", "-x", "", "http:/x", "http://", "javascript:alert(1)",
                          "http://a/b\nInjected: 1", "ftp://host/file"}) {
    EXPECT_FALSE(platform::IsBrowsableUrl(url)) << url;
    EXPECT_EQ(platform::LaunchBrowser(url), -1) << url;
  }
  core::OpenInBrowser("file:///etc/passwd");
  core::OpenInBrowser("-x");
  EXPECT_FALSE(testsupport::WaitUntil([&] { return std::filesystem::exists(record_); },
                                       std::chrono::milliseconds(200)));
  ::setenv("VORNALO_BROWSER", (dir_ / "no-such-browser").c_str(), 1);
  EXPECT_EQ(platform::LaunchBrowser("http://example.org/"), -1);
}

}  // namespace
