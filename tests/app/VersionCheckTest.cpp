#include "app/VersionCheck.h"

#include <gtest/gtest.h>

#include "app/util/WaitCursor.h"
#include "tests/support/ScriptedServer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ScriptedServer;
using Kind = VersionCheck::Reply::Kind;

TEST(VersionCheckReply, ReadsEveryKindOfBody) {
  struct Case {
    std::string body;
    Kind kind;
    bool required;
    const char* url;
  };
  const Case cases[] = {
      {"", Kind::kNothing, false, ""},
      {"anything", Kind::kNothing, false, ""},
      {"required", Kind::kNothing, false, ""},
      {"required,http://x/y", Kind::kUpdate, true, "http://x/y"},
      {"optional,http://x/y", Kind::kUpdate, false, "http://x/y"},
      {"soon,https://x/y", Kind::kUpdate, false, "https://x/y"},  // anything but "required" recommends
      {"Required,http://x/y", Kind::kUpdate, false, "http://x/y"},
      {"optional,ftp://x", Kind::kNothing, false, ""},
      {"optional,htt", Kind::kNothing, false, ""},
      {"optional,", Kind::kNothing, false, ""},
      {"required,,http://x/y", Kind::kUpdate, true, "http://x/y"},  // empty pieces are skipped
      {"required,http://x/y,extra", Kind::kUpdate, true, "http://x/y"},
      {"required,http://x/y\r\n", Kind::kUpdate, true, "http://x/y"},
      {"unsupported platform", Kind::kUnsupportedPlatform, false, ""},
      {"unsupported platform\n", Kind::kUnsupportedPlatform, false, ""},
      {"unsupported platforms", Kind::kNothing, false, ""},
      {"unsupported platform,x", Kind::kNothing, false, ""},
      {std::string("required\0,http://x/y", 20), Kind::kNothing, false, ""},  // text ends at NUL
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    VersionCheck::Reply reply = VersionCheck::ParseReply(c.body);
    EXPECT_EQ(reply.kind, c.kind);
    EXPECT_EQ(reply.required, c.required);
    EXPECT_EQ(reply.url, c.url);
  }
}

struct ShownBox {
  std::string caption;
  platform::MessageBoxButtons buttons;
};

class VersionCheckTest : public ::testing::Test {
 protected:
  ~VersionCheckTest() override { EndWaitCursor(); }

  VersionCheck Make(const std::string& serverUrl, int timeoutMs = VersionCheck::kDefaultTimeoutMs) {
    VersionCheck::Options options;
    options.serverUrl = serverUrl;
    options.resolutionCode = 3;
    options.timeoutMs = timeoutMs;
    return VersionCheck(options, [this](const std::string& caption, const std::string&,
                                        platform::MessageBoxButtons buttons) {
      boxes_.push_back({caption, buttons});
      return platform::MessageBoxResult::kOk;
    });
  }

  std::vector<ShownBox> boxes_;
};

TEST_F(VersionCheckTest, UrlCarriesVersionPlatformAndResolution) {
  EXPECT_EQ(Make("http://127.0.0.1:8080").VersionUrl(),
            "http://127.0.0.1:8080/mobile/wm/downloads/version.php?v=1.4&p=2&r=3");
}

// Silence past the time-out, at the connect or after it, is a connection failure; a request
// that fails at once or a server that closes without a reply lets the program go on.
TEST_F(VersionCheckTest, OnlySilenceIsAConnectionFailure) {
  constexpr int kTimeoutMs = 200;
  {
    ScriptedServer silent({testsupport::ReadRequest(), testsupport::Hang()});
    BeginWaitCursor();
    bool failure = false;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Make(silent.Url(""), kTimeoutMs).CheckVersion(failure), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kTimeoutMs));
    EXPECT_TRUE(failure);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Connection Failure");
    EXPECT_EQ(boxes_[0].buttons, platform::MessageBoxButtons::kOk);
    EXPECT_FALSE(IsWaitCursorShown());
  }
  {
    testsupport::StalledListener stalled;
    boxes_.clear();
    bool failure = false;
    EXPECT_EQ(Make(stalled.Url(""), kTimeoutMs).CheckVersion(failure), 0);
    EXPECT_TRUE(failure);
    EXPECT_EQ(boxes_.size(), 1u);
  }
  std::string refusedUrl;
  {
    ScriptedServer gone(Reply(""));
    refusedUrl = gone.Url("");
  }
  ScriptedServer closes({testsupport::ReadRequest(), testsupport::Close()});
  for (const std::string& url : {refusedUrl, closes.Url("")}) {
    SCOPED_TRACE(url);
    boxes_.clear();
    bool failure = true;
    EXPECT_EQ(Make(url, kTimeoutMs).CheckVersion(failure), 0);
    EXPECT_FALSE(failure);
    EXPECT_TRUE(boxes_.empty());
  }
}

}  // namespace
