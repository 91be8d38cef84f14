#include "screens/StoreSearch.h"

#include "core/ProductSites.h"
#include "core/Utilities.h"
#include "platform/TextCodec.h"

namespace screens {
namespace {

// "creator title" is kept to this many bytes, and its encoded form to the address buffer's
// capacity.
constexpr std::size_t kTermsBytes = 254;
constexpr std::int32_t kEncodedCapacity = 512;

}  // namespace

std::string StoreSearchUrl(std::string_view creator, std::string_view title) {
  const std::string terms = std::string(creator) + " " + std::string(title);
  const std::string_view kept(terms.data(), platform::Utf8PrefixLength(terms, kTermsBytes));
  return std::string(core::kStoreSite) + core::kStoreArtistSearch + core::UrlEncode(kept, kEncodedCapacity);
}

void OpenStoreSearch(std::string_view creator, std::string_view title) {
  core::OpenInBrowser(StoreSearchUrl(creator, title).c_str());
}

}  // namespace screens
