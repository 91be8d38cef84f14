// The three catalogue reply parsers through the real expat wrapper; the first byte picks one.
#include <cstddef>
#include <cstdint>

#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "catalogue/SearchRequest.h"
#include "tools/fuzz/FuzzInput.h"
#include "tests/support/TestSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static testsupport::TestSettings settings;  // one temporary store for the whole run
  fuzz::FuzzInput input(data, size);
  const std::uint8_t which = input.TakeByte() % 3;
  const char* text = reinterpret_cast<const char*>(input.data());
  if (which == 0) {
    catalogue::SearchRequest request("http://127.0.0.1:1", settings.settings);
    request.pageSize = 10;
    request.parse(text, input.size());
    fuzz::Require(request.resultCount() <= 10);
    for (std::size_t i = 0; i < request.resultCount(); ++i) fuzz::Require(request.itemAt(i)->record() != nullptr);
  } else if (which == 1) {
    catalogue::FeaturedCueListsRequest request("http://127.0.0.1:1", settings.settings);
    request.pageSize = 10;
    request.parse(text, input.size());
    fuzz::Require(request.resultCount() <= 10);
  } else {
    catalogue::CueListTracksRequest request("http://127.0.0.1:1", settings.settings);
    request.parse(text, input.size());
    fuzz::Require(request.resultCount() <= catalogue::CatalogueRequest::kMaxReplyItems);
  }
  return 0;
}
