#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "audio/TrackInfo.h"
#include "catalogue/HttpClientLimits.h"
#include "catalogue/ItemRecords.h"
#include "catalogue/TrackCache.h"
#include "core/RequestIdentity.h"


namespace catalogue {
class HttpClient;
}

namespace audio {

class StreamPlayer;

// Where stream URLs are looked up: the catalogue server and the values every request carries.
struct StreamUrlService {
  std::string baseUrl;  // "http://host[:port]"
  core::RequestIdentity identity;
  // With a track cache in them, each address `trackUrl` gives is remembered there with its
  // track's key, so that the player's stream finds the track's cached bytes. The lookups
  // connect, and get their reply, within their `lookupTimeoutMicros`.
  catalogue::HttpClientOptions httpOptions;
};

inline constexpr std::size_t kStreamUrlReplySize = 512;  // 511 bytes and the terminator
inline constexpr const char* kNotAvailable = "not_available";

// The lookup URL for one mp3_url_id (form-encoded, so an id cannot add query keys).
std::string streamUrlRequest(const StreamUrlService& service, const char* mp3UrlId);

// Fetches the stream URL of `mp3UrlId` and leaves the reply body, cut to 511 bytes and
// NUL-terminated, in `reply`. False when the body is "not_available" or when no body came
// (the request failed): the caller then streams the record's own location.
bool resolveStreamUrl(const StreamUrlService& service, const char* mp3UrlId,
                      char (&reply)[kStreamUrlReplySize]);
// As above, through `client` (made with `forLookup` options; another thread may stop it to
// end the lookup early).
bool resolveStreamUrl(catalogue::HttpClient& client, const StreamUrlService& service, const char* mp3UrlId,
                      char (&reply)[kStreamUrlReplySize]);

// The display record of a track: title, creator and album decoded from UTF-8 and cut at 255
// code units without splitting a character.
TrackInfo makeTrackInfo(const catalogue::AudioCueRecord& record);

// The URL to stream for `record`: the resolved one when the stream would take it, else its
// location, as UTF-16.
std::u16string trackUrl(const StreamUrlService& service, const catalogue::AudioCueRecord& record);
std::u16string trackUrl(catalogue::HttpClient& client, const StreamUrlService& service,
                        const catalogue::AudioCueRecord& record);

// Builds the URL and the TrackInfo, runs the caller's stop step, then hands both to the
// player and starts it (setTrackInfo, setUrl, play).
void startTrack(StreamPlayer& player, const StreamUrlService& service,
                const catalogue::AudioCueRecord& record, const std::function<void()>& stopStep);

}  // namespace audio
