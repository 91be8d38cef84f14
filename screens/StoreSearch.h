#pragma once

#include <string>
#include <string_view>

namespace screens {

// The online store's artist search for "creator title" (UTF-8 record fields): the terms cut
// to 254 bytes at a character boundary, form-encoded into at most 511 characters.
std::string StoreSearchUrl(std::string_view creator, std::string_view title);
// Opens it in the web browser.
void OpenStoreSearch(std::string_view creator, std::string_view title);

}  // namespace screens
