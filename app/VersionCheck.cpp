#include "app/VersionCheck.h"

#include <chrono>
#include <vector>

#include "app/StartupMessages.h"
#include "catalogue/HttpClient.h"
#include "core/AppSettings.h"
#include "core/Utilities.h"
#include "core/WaitCursor.h"
#include "platform/DebugLog.h"

namespace app {

namespace {

constexpr const char* kNewVersionCaption = "New Version Available";
constexpr const char* kRequiredUpdateText =
    "There is a newer version available of Vornalo Mobile. You are required to install this new "
    "version to continue usage of this application. Do you want to install it now?";
constexpr const char* kRecommendedUpdateText =
    "There is a newer version available of Vornalo Mobile. We recommend you install this new "
    "version. Do you want to install it now?";
constexpr std::string_view kRequired = "required";
constexpr std::string_view kUnsupportedPlatform = "unsupported platform";
constexpr std::string_view kHttpPrefix = "http";

bool IsTrailingSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string_view> SplitAtCommas(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t comma = text.find(',', begin);
    if (comma == std::string_view::npos) comma = text.size();
    if (comma > begin) pieces.push_back(text.substr(begin, comma - begin));
    begin = comma + 1;
  }
  return pieces;
}

}  // namespace

std::string VersionCheck::VersionUrl() const {
  return options_.serverUrl + kVersionPath + "?v=" + core::appVersion + "&p=" + std::to_string(kPlatformCode) +
         "&r=" + std::to_string(options_.resolutionCode);
}

VersionCheck::Reply VersionCheck::ParseReply(std::string_view body) {
  Reply reply;
  std::string_view text = body.substr(0, body.find('\0'));
  while (!text.empty() && IsTrailingSpace(text.back())) text.remove_suffix(1);
  if (text.empty()) return reply;
  if (text.find(',') != std::string_view::npos) {
    const std::vector<std::string_view> pieces = SplitAtCommas(text);
    if (pieces.size() >= 2 && pieces[1].substr(0, kHttpPrefix.size()) == kHttpPrefix) {
      reply.kind = Reply::Kind::kUpdate;
      reply.required = pieces[0] == kRequired;
      reply.url = std::string(pieces[1]);
    }
  } else if (text == kUnsupportedPlatform) {
    reply.kind = Reply::Kind::kUnsupportedPlatform;
  }
  return reply;
}

int VersionCheck::CheckVersion(bool& connectionFailure) {
  connectionFailure = false;
  const std::chrono::milliseconds timeout(options_.timeoutMs);
  catalogue::HttpClientOptions httpOptions;
  // The connect happens inside start: bound it too, so an unreachable host cannot hold the
  // start-up longer than the check allows.
  httpOptions.connectTimeoutMicros = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
  catalogue::HttpClient client(httpOptions);
  // A request that cannot even start (refused, no such host) failed at once: start-up goes on
  // as if no update existed, like any other aborted request. Only silence stops it.
  const catalogue::HttpClient::WholeBodyReply fetched = client.fetchWholeBody(VersionUrl(), timeout);
  if (fetched.status == catalogue::HttpClient::FetchStatus::kTimedOut) {
    core::EndWaitCursor();
    messageBox_(kConnectionFailureCaption, kConnectionFailureText, platform::MessageBoxButtons::kOk);
    connectionFailure = true;
    return 0;
  }

  const std::string& body = fetched.body;
  platform::DebugPrintf("version check: %zu bytes", body.size());
  const Reply reply = ParseReply(body);
  switch (reply.kind) {
    case Reply::Kind::kNothing:
      return 0;
    case Reply::Kind::kUpdate:
      return AskForUpdate(reply) ? 1 : 0;
    case Reply::Kind::kUnsupportedPlatform: {
      const auto answer = messageBox_(kNewVersionCaption, kRecommendedUpdateText, platform::MessageBoxButtons::kYesNo);
      if (answer != platform::MessageBoxResult::kYes) return 0;
      core::OpenInBrowser((options_.downloadSite + kDownloadPagePath).c_str());
      return 1;
    }
  }
  return 0;
}

bool VersionCheck::AskForUpdate(const Reply& reply) {
  const auto answer = messageBox_(kNewVersionCaption, reply.required ? kRequiredUpdateText : kRecommendedUpdateText,
                                  platform::MessageBoxButtons::kYesNo);
  if (answer == platform::MessageBoxResult::kYes) {
    core::OpenInBrowser(reply.url.c_str());
    return true;
  }
  if (reply.required) return true;
  core::BeginWaitCursor();  // the question took the cursor's place
  return false;
}

}  // namespace app
