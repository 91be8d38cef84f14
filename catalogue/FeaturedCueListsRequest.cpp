#include "catalogue/FeaturedCueListsRequest.h"

#include <cstdio>

#include "catalogue/FieldCodes.h"

namespace catalogue {

namespace {

constexpr int kRandomRange = 10000;

constexpr fieldcode::Entry kItemFields[] = {
    {"title", fieldcode::kTitle},       {"playlist_id", fieldcode::kPlaylistId},
    {"publish_date", fieldcode::kPublishDate}, {"item_count", fieldcode::kItemCount},
    {"location", fieldcode::kLocation}, {"uid", fieldcode::kUid},
};

}  // namespace

FeaturedCueListsRequest::FeaturedCueListsRequest(std::string baseUrl, const core::AppSettings& settings,
                                                 const HttpClientOptions& httpOptions)
    : CatalogueRequest(std::move(baseUrl), settings, httpOptions),
      random_(std::random_device{}()) {}

FeaturedCueListsRequest::~FeaturedCueListsRequest() { clearItems(); }

void FeaturedCueListsRequest::buildUrl(const char*) {
  int value;
  do {
    value = static_cast<int>(random_() % kRandomRange);
  } while (value == lastRandom_);
  lastRandom_ = value;
  char query[128];
  std::snprintf(query, sizeof query, "/api/wm_app/getAllFeaturedCueLists?random=%d&s=%d&n=%d",
                value, startIndex, pageSize);
  setUrlText(baseUrl() + query + identityQuery());
}

void FeaturedCueListsRequest::clearItems() { items_.clear(); }

CueListRecord* FeaturedCueListsRequest::itemAt(std::size_t index) const {
  return index < items_.size() ? items_[index].get() : nullptr;
}

void FeaturedCueListsRequest::beginDocument() { current_.reset(); }

void FeaturedCueListsRequest::onElementStart(const char* name) {
  if (std::strcmp(name, "total_cuelist_count") == 0) {
    field_.Begin(fieldcode::kTotal);
  } else if (std::strcmp(name, "result_list_item") == 0) {
    current_.reset();
    if (roomForItem(items_.size(), pageLimit())) current_ = std::make_unique<CueListRecord>();
  } else if (current_) {
    if (int code = fieldcode::Lookup(kItemFields, name)) field_.Begin(code);
  }
}

void FeaturedCueListsRequest::onElementEnd(const char* name) {
  if (std::strcmp(name, "result_list_item") == 0 && current_) {
    items_.push_back(std::move(current_));
  }
}

void FeaturedCueListsRequest::onFieldText(int code, std::string_view text) {
  if (code == fieldcode::kTotal) {
    totalCount = LeadingNumber(text);
    return;
  }
  if (!current_) return;
  CueListRecord& item = *current_;
  switch (code) {
    case fieldcode::kLocation: CopyToSlot(item.location, text); break;
    case fieldcode::kTitle: CopyToSlot(item.title, text); break;
    case fieldcode::kPublishDate: CopyToSlot(item.publish_date, text); break;
    case fieldcode::kPlaylistId: CopyToSlot(item.playlist_id, text); break;
    case fieldcode::kUid: CopyToSlot(item.uid, text); break;
    case fieldcode::kItemCount: item.item_count = LeadingNumber(text); break;
    default: break;
  }
}

}  // namespace catalogue
