#include "app/VersionCheck.h"

#include <gtest/gtest.h>

#include "core/WaitCursor.h"
#include "tests/support/ScriptedServer.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ScriptedServer;
using Kind = app::VersionCheck::Reply::Kind;

TEST(VersionCheckReply, ReadsEveryKindOfBody) {
  struct Case {
    std::string body;
    Kind kind;
    bool required;
    const char* url;
  };
  const Case cases[] = {
      {"required", Kind::kNothing, false, ""},
      {"required,http://x/y", Kind::kUpdate, true, "http://x/y"},
      {"optional,http://x/y", Kind::kUpdate, false, "http://x/y"},
      {"soon,https://x/y", Kind::kUpdate, false, "https://x/y"},  // anything but "required" recommends
      {"Required,http://x/y", Kind::kUpdate, false, "http://x/y"},
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
    app::VersionCheck::Reply reply = app::VersionCheck::ParseReply(c.body);
    EXPECT_EQ(reply.kind, c.kind);
    EXPECT_EQ(reply.required, c.required);
    EXPECT_EQ(reply.url, c.url);
  }
}

// Silence past the time-out, at the connect or after it, is a connection failure, shown in one
// OK box with the wait cursor taken down first; a request that fails at once or a server that
// closes without a reply lets the program go on with nothing shown.
TEST(VersionCheckTest, OnlySilenceIsAConnectionFailure) {
  constexpr int kTimeoutMs = 200;
  ScriptedServer silent({testsupport::ReadRequest(), testsupport::Hang()});
  testsupport::StalledListener stalled;
  ScriptedServer closes({testsupport::ReadRequest(), testsupport::Close()});
  const std::pair<std::string, bool> cases[] = {
      {silent.Url(""), true}, {stalled.Url(""), true}, {testsupport::RefusingUrl(""), false}, {closes.Url(""), false}};
  for (const auto& [url, failureExpected] : cases) {
    SCOPED_TRACE(url);
    app::VersionCheck::Options options;
    options.serverUrl = url;
    options.resolutionCode = 3;
    options.timeoutMs = kTimeoutMs;
    std::vector<std::string> boxes;
    app::VersionCheck check(options, [&](const std::string& caption, const std::string&,
                                    platform::MessageBoxButtons buttons) {
      boxes.push_back(caption + (buttons == platform::MessageBoxButtons::kOk ? " [OK]" : " [?]"));
      boxes.push_back(core::IsWaitCursorShown() ? "cursor shown" : "cursor hidden");
      return platform::MessageBoxResult::kOk;
    });
    core::BeginWaitCursor();
    bool failure = !failureExpected;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(check.CheckVersion(failure), 0);
    EXPECT_EQ(failure, failureExpected);
    if (failureExpected) {
      EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kTimeoutMs));
      EXPECT_EQ(boxes, (std::vector<std::string>{"Connection Failure [OK]", "cursor hidden"}));
      EXPECT_FALSE(core::IsWaitCursorShown());
    } else {
      EXPECT_TRUE(boxes.empty());
    }
    core::EndWaitCursor();
  }
}

}  // namespace
