#include "catalogue/SearchRequest.h"

#include <cstdio>

#include "catalogue/FieldCodes.h"
#include "core/Utilities.h"

namespace catalogue {

namespace {

static_assert(fieldcode::kSlotCount <= 16);

constexpr fieldcode::Entry kItemFields[] = {
    {"media", fieldcode::kMedia},       {"location", fieldcode::kLocation},
    {"title", fieldcode::kTitle},       {"album", fieldcode::kAlbum},
    {"genre", fieldcode::kGenre},       {"composer", fieldcode::kComposer},
    {"creator", fieldcode::kCreator},   {"item_count", fieldcode::kItemCount},
    {"mp3_url_id", fieldcode::kMp3UrlId},
};

// True when `text` is a non-empty prefix of `keyword`.
bool Matches(std::string_view text, std::string_view keyword) {
  return !text.empty() && keyword.substr(0, text.size()) == text;
}

}  // namespace

SearchRequest::~SearchRequest() { clearItems(); }

std::string SearchRequest::EncodeQuery(std::string_view query) {
  return core::UrlEncode(query, kEncodedQueryCapacity);
}

void SearchRequest::buildUrl(const char* text) {
  setRequestText(text);
  char query[96];
  std::snprintf(query, sizeof query, "&rm=%d&rp=%d&rv=%d&rt=%d&s=%d&n=%d", rm, rp, rv, rt,
                startIndex, pageSize);
  setUrlText(baseUrl() + "/api/wm_app/search?q=" + requestText() + query + identityQuery());
}

void SearchRequest::clearItems() {
  items_.clear();
  totalReceived = 0;
}

ItemRef* SearchRequest::itemAt(std::size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}

void SearchRequest::setResultKinds(std::uint32_t mask) {
  rm = (mask & 1) ? 1 : 0;
  rp = (mask & 2) ? 1 : 0;
  rt = (mask & 4) ? 1 : 0;
}

void SearchRequest::clearSlots() { std::memset(slots_, 0, sizeof slots_); }

void SearchRequest::beginDocument() {
  inItem_ = false;
  kind_ = kNoItemKind;
  itemCount_ = 0;
  clearSlots();
}

void SearchRequest::onElementStart(const char* name) {
  if (std::strcmp(name, "filter_count_total") == 0) {
    field_.Begin(fieldcode::kTotal);
  } else if (std::strcmp(name, "result_list_item") == 0) {
    // Each item starts empty, its kind and count included, so nothing leaks between items.
    clearSlots();
    inItem_ = true;
    kind_ = kNoItemKind;
    itemCount_ = 0;
  } else if (std::strcmp(name, "song_id") == 0) {
    field_.Begin(fieldcode::kSongId);
  } else if (std::strcmp(name, "playlist_id") == 0) {
    field_.Begin(fieldcode::kPlaylistId);
  } else if (inItem_) {
    if (int code = fieldcode::Lookup(kItemFields, name)) field_.Begin(code);
  }
}

void SearchRequest::onFieldText(int code, std::string_view text) {
  if (code == fieldcode::kTotal) {
    totalCount = LeadingNumber(text);
    totalReceived = 1;
    return;
  }
  if (!inItem_) return;
  if (code == fieldcode::kMedia) {
    kind_ = Matches(text, "playlist") ? kCueList
            : Matches(text, "text")   ? kTextCue
            : Matches(text, "audio")  ? kAudioCue
                                      : kNoItemKind;
  } else if (code == fieldcode::kItemCount) {
    itemCount_ = LeadingNumber(text);
  } else if (code != fieldcode::kPublishDate && code != fieldcode::kUid) {
    CopyToSlot(slots_[code], text);
  }
}

void SearchRequest::onElementEnd(const char* name) {
  if (std::strcmp(name, "result_list_item") != 0 || !inItem_) return;
  appendItem();
  inItem_ = false;
}

void SearchRequest::appendItem() {
  using namespace fieldcode;
  if (kind_ == kNoItemKind || !roomForItem(items_.size(), pageLimit())) return;
  switch (kind_) {
    case kAudioCue: {
      auto record = std::make_unique<AudioCueRecord>();
      std::memcpy(record->location, slots_[kLocation], kTextSlotSize);
      std::memcpy(record->title, slots_[kTitle], kTextSlotSize);
      std::memcpy(record->creator, slots_[kCreator], kTextSlotSize);
      std::memcpy(record->album, slots_[kAlbum], kTextSlotSize);
      std::memcpy(record->genre, slots_[kGenre], kTextSlotSize);
      std::memcpy(record->composer, slots_[kComposer], kTextSlotSize);
      std::memcpy(record->mp3_url_id, slots_[kMp3UrlId], kTextSlotSize);
      std::memcpy(record->song_id, slots_[kSongId], kTextSlotSize);
      items_.push_back(std::make_unique<ItemRef>(std::move(record)));
      break;
    }
    case kCueList: {
      auto record = std::make_unique<CueListRecord>();
      std::memcpy(record->location, slots_[kLocation], kTextSlotSize);
      std::memcpy(record->title, slots_[kTitle], kTextSlotSize);
      std::memcpy(record->playlist_id, slots_[kPlaylistId], kTextSlotSize);
      record->item_count = itemCount_;
      items_.push_back(std::make_unique<ItemRef>(std::move(record)));
      break;
    }
    case kTextCue: {
      auto record = std::make_unique<TextCueRecord>();
      std::memcpy(record->location, slots_[kLocation], kTextSlotSize);
      std::memcpy(record->title, slots_[kTitle], kTextSlotSize);
      items_.push_back(std::make_unique<ItemRef>(std::move(record)));
      break;
    }
    default:
      break;  // an unknown kind is skipped
  }
}

}  // namespace catalogue
