#include "audio/TrackStart.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "tests/support/ScriptedServer.h"
#include "tests/support/TestSettings.h"

namespace {

using testsupport::HttpResponse;
using testsupport::Reply;
using testsupport::ScriptedServer;

class TrackStartTest : public ::testing::Test {
 protected:
  TrackStartTest() {
    std::memset(&record_, 0, sizeof record_);
    catalogue::CopyToSlot(record_.location, "http://files.example/own.mp3");
    catalogue::CopyToSlot(record_.mp3_url_id, "42");
  }
  audio::StreamUrlService Service(const ScriptedServer& server) {
    audio::StreamUrlService service{"http://127.0.0.1:" + std::to_string(server.port()), core::RequestIdentity::From(test_.settings), {}};
    service.httpOptions.idleTimeoutMicros = 500000;
    return service;
  }

  testsupport::TestSettings test_;
  catalogue::AudioCueRecord record_;
};

TEST_F(TrackStartTest, TheReplyIsTheUrlAndNotAvailableFallsBackToTheLocation) {
  struct Case {
    std::string body;
    std::u16string expected;
  } cases[] = {
      {"http://127.0.0.1:9/stream/7.mp3", u"http://127.0.0.1:9/stream/7.mp3"},
      {"not_available", u"http://files.example/own.mp3"},
      {"not_available\n", u"http://files.example/own.mp3"},  // not the exact text, but no URL
      {"http://127.0.0.1:9/a.mp3\r\n", u"http://files.example/own.mp3"},
      {"ftp://127.0.0.1/a.mp3", u"http://files.example/own.mp3"},
      {"", u"http://files.example/own.mp3"},    // no reply: never an empty URL
  };
  for (const auto& c : cases) {
    ScriptedServer server(Reply(HttpResponse(c.body, "text/plain")));
    EXPECT_EQ(audio::trackUrl(Service(server), record_), c.expected) << c.body;
  }
}

// A host that takes the request and never answers holds the lookup (and the track start
// waiting for it) no longer than the lookup's bound, whatever the client's idle limit.
TEST_F(TrackStartTest, ALookupThatIsNeverAnsweredGivesUpAtItsBound) {
  ScriptedServer server({testsupport::ReadRequest(), testsupport::Hang()});
  audio::StreamUrlService service = Service(server);
  service.httpOptions.idleTimeoutMicros = 35'000'000;
  service.httpOptions.lookupTimeoutMicros = 300'000;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(audio::trackUrl(service, record_), u"http://files.example/own.mp3");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(TrackStartTest, TheLookupCarriesTheIdentityAndAnEncodedId) {
  ScriptedServer server(Reply(HttpResponse("not_available", "text/plain")));
  catalogue::CopyToSlot(record_.mp3_url_id, "7&sk=forged");
  char reply[audio::kStreamUrlReplySize];
  EXPECT_FALSE(audio::resolveStreamUrl(Service(server), record_.mp3_url_id, reply));
  EXPECT_STREQ(reply, "not_available");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string expected = "GET /api/wm_app/results?mp3_url_id=7%26sk%3Dforged&sk=" +
                               std::string(core::AppSettings::BuiltInApiKey()) + "&v=1.4&di=" +
                               test_.settings.deviceId + " ";
  EXPECT_EQ(requests[0].substr(0, expected.size()), expected);
}

TEST_F(TrackStartTest, ALongReplyIsCutInsideTheBuffer) {
  const std::string longUrl = "http://h/" + std::string(900, 'x');
  ScriptedServer server(Reply(HttpResponse(longUrl, "text/plain")));
  char reply[audio::kStreamUrlReplySize + 8];
  std::memset(reply, '#', sizeof reply);
  auto& exact = *reinterpret_cast<char(*)[audio::kStreamUrlReplySize]>(reply);
  EXPECT_TRUE(audio::resolveStreamUrl(Service(server), "1", exact));
  EXPECT_EQ(std::strlen(reply), 511u);
  EXPECT_EQ(std::string(reply, 511), longUrl.substr(0, 511));
  EXPECT_EQ(reply[512], '#');  // nothing written past the buffer
}

TEST_F(TrackStartTest, TrackInfoDecodesUtf8AndCutsWholeCharacters) {
  catalogue::CopyToSlot(record_.title, "Caf\xC3\xA9 del Mar");
  catalogue::CopyToSlot(record_.creator, "Simon & Garfunkel");
  // 250 ASCII characters, then two-unit emoji: the 255-unit cut drops the third one whole.
  std::string album(250, 'a');
  for (int i = 0; i < 60; ++i) album += "\xF0\x9F\x8E\xB5";
  catalogue::CopyToSlot(record_.album, album);
  auto info = audio::makeTrackInfo(record_);
  EXPECT_EQ(info.title, u"Caf\u00e9 del Mar");
  EXPECT_EQ(info.creator, u"Simon & Garfunkel");
  EXPECT_EQ(info.album, std::u16string(250, u'a') + u"\U0001F3B5\U0001F3B5");

  std::memset(record_.title, 0, sizeof record_.title);
  catalogue::CopyToSlot(record_.title, std::string(400, 'a'));
  EXPECT_EQ(audio::makeTrackInfo(record_).title.size(), 255u);
}

}  // namespace
