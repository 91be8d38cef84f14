#pragma once

#include <memory>
#include <random>
#include <vector>

#include "catalogue/CatalogueRequest.h"
#include "catalogue/ItemRecords.h"

namespace catalogue {

// The server's featured CueLists, one page at a time.
class FeaturedCueListsRequest : public CatalogueRequest {
 public:
  FeaturedCueListsRequest(std::string baseUrl, const core::AppSettings& settings,
                          const HttpClientOptions& httpOptions = HttpClientOptions());
  ~FeaturedCueListsRequest() override;

  // `text` is ignored; every URL carries a new random value, so no cache answers it.
  void buildUrl(const char* text) override;
  void clearItems() override;
  std::size_t resultCount() const override { return items_.size(); }
  // The record at `index`, null when index >= resultCount().
  CueListRecord* itemAt(std::size_t index) const;

 private:
  void beginDocument() override;
  void onElementStart(const char* name) override;
  void onElementEnd(const char* name) override;
  void onFieldText(int code, std::string_view text) override;

  std::vector<std::unique_ptr<CueListRecord>> items_;
  std::unique_ptr<CueListRecord> current_;  // the item being read
  std::minstd_rand random_;
  int lastRandom_ = -1;
};

}  // namespace catalogue
