#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 to UTF-16. Invalid or truncated sequences, overlong forms and encoded surrogates
// each become U+FFFD; decoding never fails.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The longest prefix of `utf8` of at most `maxBytes` bytes that does not end inside a
// multi-byte character.
std::size_t Utf8PrefixLength(std::string_view utf8, std::size_t maxBytes);

// The longest prefix of `utf16` of at most `maxUnits` code units that does not split a
// surrogate pair.
std::size_t Utf16PrefixLength(std::u16string_view utf16, std::size_t maxUnits);

}  // namespace platform
