#include "audio/TrackStart.h"

#include <cstring>

#include "audio/StreamPlayer.h"
#include "catalogue/HttpClient.h"
#include "catalogue/HttpUrl.h"
#include "core/Utilities.h"
#include "platform/DebugLog.h"
#include "platform/TextCodec.h"

namespace audio {
namespace {

// An id longer than this is not an id; the encoded form is cut there.
constexpr std::int32_t kEncodedIdCapacity = 1024;

std::u16string Widen(const char (&slot)[catalogue::kTextSlotSize]) {
  std::u16string wide = platform::Utf8ToUtf16(catalogue::SlotText(slot));
  return wide.substr(0, platform::Utf16PrefixLength(wide, TrackInfo::kMaxLength));
}

}  // namespace

std::string streamUrlRequest(const StreamUrlService& service, const char* mp3UrlId) {
  return service.baseUrl + "/api/wm_app/results?mp3_url_id=" +
         core::UrlEncode(mp3UrlId ? mp3UrlId : "", kEncodedIdCapacity) + service.identity.QuerySuffix();
}

bool resolveStreamUrl(const StreamUrlService& service, const char* mp3UrlId,
                      char (&reply)[kStreamUrlReplySize]) {
  catalogue::HttpClient client(service.httpOptions.forLookup());
  return resolveStreamUrl(client, service, mp3UrlId, reply);
}

bool resolveStreamUrl(catalogue::HttpClient& client, const StreamUrlService& service, const char* mp3UrlId,
                      char (&reply)[kStreamUrlReplySize]) {
  reply[0] = '\0';
  const catalogue::HttpClient::WholeBodyReply fetched = client.fetchWholeBody(streamUrlRequest(service, mp3UrlId));
  if (fetched.status == catalogue::HttpClient::FetchStatus::kNotStarted) {
    platform::DebugPrintf("stream URL lookup for \"%s\" failed to start", mp3UrlId);
    return false;
  }

  const std::size_t length = std::min(fetched.body.size(), kStreamUrlReplySize - 1);
  if (length > 0) std::memcpy(reply, fetched.body.data(), length);
  reply[length] = '\0';
  if (fetched.body.size() > length) {
    platform::DebugPrintf("stream URL reply of %zu bytes cut to %zu", fetched.body.size(), length);
  }
  if (length == 0) return false;  // no reply: an empty URL would replay the previous track
  return std::strcmp(reply, kNotAvailable) != 0;
}

TrackInfo makeTrackInfo(const catalogue::AudioCueRecord& record) {
  return TrackInfo{Widen(record.title), Widen(record.creator), Widen(record.album)};
}

std::u16string trackUrl(const StreamUrlService& service, const catalogue::AudioCueRecord& record) {
  catalogue::HttpClient client(service.httpOptions.forLookup());
  return trackUrl(client, service, record);
}

std::u16string trackUrl(catalogue::HttpClient& client, const StreamUrlService& service,
                        const catalogue::AudioCueRecord& record) {
  char reply[kStreamUrlReplySize];
  std::string url;
  // A reply the stream would refuse (a line end, not http) counts as no reply.
  if (resolveStreamUrl(client, service, record.mp3_url_id, reply)) {
    if (catalogue::IsAcceptableUrl(reply)) url = reply;
    else platform::DebugPrintf("stream URL reply \"%s\" refused; playing the record's location", reply);
  }
  // When the server cannot be reached the record's location stands in, and the track's
  // cached bytes serve under it.
  if (url.empty()) url = catalogue::SlotText(record.location);
  if (catalogue::TrackCache* cache = service.httpOptions.trackCache) cache->remember(url, cache->keyOf(record));
  return platform::Utf8ToUtf16(url);
}

void startTrack(StreamPlayer& player, const StreamUrlService& service,
                const catalogue::AudioCueRecord& record, const std::function<void()>& stopStep) {
  const std::u16string url = trackUrl(service, record);
  const TrackInfo info = makeTrackInfo(record);
  if (stopStep) stopStep();
  player.setTrackInfo(info);
  player.setUrl(url);
  player.play();
}

}  // namespace audio
