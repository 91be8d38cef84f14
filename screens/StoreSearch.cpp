#include "screens/StoreSearch.h"

#include "core/Utilities.h"

namespace screens {
namespace {

constexpr const char* kStoreSite = "http://store.vornalo.com";
constexpr const char* kArtistSearch = "/s/ref=nb_ss_m?url=search-alias%3Dmusic-artist&field-keywords=";
constexpr std::int32_t kKeywordsCapacity = 512;

}  // namespace

std::string StoreSearchUrl(const char* creator, const char* title) {
  const std::string keywords = std::string(creator) + " " + title;
  return std::string(kStoreSite) + kArtistSearch + core::UrlEncode(keywords, kKeywordsCapacity);
}

void OpenStoreSearch(const char* creator, const char* title) { core::OpenInBrowser(StoreSearchUrl(creator, title).c_str()); }

}  // namespace screens
