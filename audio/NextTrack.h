#pragma once

#include <functional>
#include <string>

#include "audio/TrackInfo.h"
#include "catalogue/HttpClient.h"

namespace audio {

// The track that follows the current one, as the Current Playlist tells the player.
struct NextTrack {
  // Identifies the playlist entry; null: no next track.
  const void* token = nullptr;
  TrackInfo info;
  // Looks the stream URL up with `client` (which a cancel stops); runs on the prefetch thread.
  std::function<std::u16string(catalogue::HttpClient& client)> resolveUrl;
};

}  // namespace audio
