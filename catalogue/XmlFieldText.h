#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/ItemRecords.h"

namespace catalogue {

// The text of the XML field being read: every character-data run from the field's start tag
// to the next tag, kept up to a slot's 511 bytes (cut on a character boundary). No allocation.
class XmlFieldText {
 public:
  // Starts collecting for field `code` (non-zero).
  void Begin(int code) {
    code_ = code;
    length_ = 0;
  }
  void Append(const char* text, std::size_t length);
  // The field being collected, 0 when none.
  int code() const { return code_; }
  // Ends the field: its text cut on a UTF-8 character boundary; a text that is exactly one
  // line feed counts as empty. code() is 0 afterwards.
  std::string_view Finish();

 private:
  int code_ = 0;
  std::size_t length_ = 0;
  // A slot's capacity plus the longest tail of a UTF-8 character, so that the cut at 511 bytes
  // can tell a whole character from a split one.
  static constexpr std::size_t kKeptBytes = kTextSlotCapacity + 3;
  char text_[kKeptBytes];
};

// The decimal number at the start of `text` (after blanks, with an optional sign), as atoi
// reads it but clamped to the 32-bit range; 0 when there is none.
std::int32_t LeadingNumber(std::string_view text);

}  // namespace catalogue
