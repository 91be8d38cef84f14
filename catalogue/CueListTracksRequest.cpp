#include "catalogue/CueListTracksRequest.h"

#include "catalogue/FieldCodes.h"
#include "core/Utilities.h"

namespace catalogue {

namespace {

constexpr fieldcode::Entry kTrackFields[] = {
    {"location", fieldcode::kLocation}, {"title", fieldcode::kTitle},
    {"album", fieldcode::kAlbum},       {"genre", fieldcode::kGenre},
    {"composer", fieldcode::kComposer}, {"creator", fieldcode::kCreator},
    {"mp3_url_id", fieldcode::kMp3UrlId},
};

}  // namespace

CueListTracksRequest::~CueListTracksRequest() { clearItems(); }

void CueListTracksRequest::buildUrl(const char* text) {
  // A playlist_id already encoded by nextPage/previousPage stays as it is.
  if (!text) text = "";
  if (text != requestText()) {
    setRequestText(core::UrlEncode(text, static_cast<std::int32_t>(kRequestTextSize - 1)).c_str());
  }
  setUrlText(baseUrl() + "/api/wm_app/getPlaylist?playlist_id=" + requestText() + identityQuery());
}

void CueListTracksRequest::clearItems() { items_.clear(); }

AudioCueRecord* CueListTracksRequest::itemAt(std::size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}

void CueListTracksRequest::beginDocument() { current_.reset(); }

void CueListTracksRequest::onElementStart(const char* name) {
  if (std::strcmp(name, "track") == 0) {
    // Every track starts empty: a track without some field never shows the one before's.
    current_.reset();
    if (roomForItem(items_.size(), kMaxReplyItems)) current_ = std::make_unique<AudioCueRecord>();
  } else if (current_) {
    if (int code = fieldcode::Lookup(kTrackFields, name)) field_.Begin(code);
  }
}

void CueListTracksRequest::onElementEnd(const char* name) {
  if (std::strcmp(name, "track") == 0 && current_) items_.push_back(std::move(current_));
}

void CueListTracksRequest::onFieldText(int code, std::string_view text) {
  if (!current_) return;
  AudioCueRecord& track = *current_;
  switch (code) {
    case fieldcode::kLocation: CopyToSlot(track.location, text); break;
    case fieldcode::kTitle: CopyToSlot(track.title, text); break;
    case fieldcode::kAlbum: CopyToSlot(track.album, text); break;
    case fieldcode::kGenre: CopyToSlot(track.genre, text); break;
    case fieldcode::kComposer: CopyToSlot(track.composer, text); break;
    case fieldcode::kCreator: CopyToSlot(track.creator, text); break;
    case fieldcode::kMp3UrlId: CopyToSlot(track.mp3_url_id, text); break;
    default: break;
  }
}

}  // namespace catalogue
