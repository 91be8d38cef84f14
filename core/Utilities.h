#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace core {

// Small routines shared by the whole client. None keeps state.

// Form-encodes `input` into `output` (which must hold capacity + 1 bytes): letters, digits,
// "/" and "\\" are copied, a space becomes "+", every other byte "%XX" (upper-case hex).
// A piece is written only while the output stays within `capacity` characters; the first piece
// that does not fit ends the encoding. The output is always terminated; with capacity below 1
// it is just the terminator.
void UrlEncode(char* output, std::int32_t capacity, const char* input);

// UrlEncode into a std::string of at most `capacity` characters.
std::string UrlEncode(std::string_view input, std::int32_t capacity);

// Standard Base64 (RFC 4648 alphabet, "=" padding) of `length` bytes, terminated. Returns 1 on
// success, 0 as soon as a character, padding or the terminator would not fit in `capacity`
// bytes (the output is then cut and not terminated).
int Base64Encode(const std::uint8_t* input, std::size_t length, char* output, std::size_t capacity);

// Converts a wide (UTF-16) string to a newly allocated narrow (UTF-8) one. Null input gives
// null; an empty string gives an empty one. Unpaired surrogates become U+FFFD.
std::unique_ptr<char[]> WideToNarrow(const char16_t* wide);

// Writes a catalogue date "year-month-day" as "Mon. day, year" ("2009-12-25" gives
// "Dec. 25, 2009"). Numbers that cannot be read count as 0; a month outside 1..12 has no
// abbreviation, as month 0.
std::u16string FormatCatalogueDate(const char* date);

// Starts the web browser on a narrow URL (cut to 511 characters at a character boundary).
// Only http and https URLs are opened; anything else is refused with a debug line.
void OpenInBrowser(const char* url);

}  // namespace core
