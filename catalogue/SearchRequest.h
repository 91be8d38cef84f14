#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueRequest.h"
#include "catalogue/ItemRef.h"

namespace catalogue {

// A catalogue search: AudioCues, CueLists and TextCues matching a query, one page at a time.
class SearchRequest : public CatalogueRequest {
 public:
  static constexpr std::int32_t kEncodedQueryCapacity = 255;

  using CatalogueRequest::CatalogueRequest;
  ~SearchRequest() override;

  // Form-encodes a UTF-8 query as the search screen does before buildUrl (capacity 255).
  static std::string EncodeQuery(std::string_view query);

  // `text` is the encoded query; it is kept in requestText (at most 127 bytes, never a split
  // escape).
  void buildUrl(const char* text) override;
  // Frees the items and clears totalReceived.
  void clearItems() override;
  std::size_t resultCount() const override { return items_.size(); }
  ItemRef* itemAt(std::size_t index) const;
  // rm = bit 0 (AudioCues), rp = bit 1 (CueLists), rt = bit 2 (TextCues); rv is kept.
  void setResultKinds(std::uint32_t mask);

  // Set when the reply carried "filter_count_total": the server answered the search.
  std::int32_t totalReceived = 0;
  std::int32_t rm = 1;
  std::int32_t rp = 1;
  std::int32_t rv = 0;
  std::int32_t rt = 1;

 private:
  void beginDocument() override;
  void onElementStart(const char* name) override;
  void onElementEnd(const char* name) override;
  void onFieldText(int code, std::string_view text) override;
  void appendItem();
  void clearSlots();

  std::vector<std::unique_ptr<ItemRef>> items_;
  bool inItem_ = false;
  ItemKind kind_ = kNoItemKind;  // of the item being read, from its "media"
  std::int32_t itemCount_ = 0;   // of the item being read, from its "item_count"
  char slots_[16][kTextSlotSize] = {};  // staging, indexed by field code
};

}  // namespace catalogue
