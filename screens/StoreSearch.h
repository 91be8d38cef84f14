#pragma once

#include <string>

namespace screens {

// The online store's artist search for "creator title" (UTF-8 record fields), form-encoded
// into at most 512 characters.
std::string StoreSearchUrl(const char* creator, const char* title);
// Opens it in the web browser.
void OpenStoreSearch(const char* creator, const char* title);

}  // namespace screens
