#include "catalogue/XmlFieldText.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/TextCodec.h"

namespace catalogue {

void XmlFieldText::Append(const char* text, std::size_t length) {
  if (code_ == 0) return;
  std::size_t room = sizeof text_ - length_;
  std::size_t count = std::min(room, length);
  std::memcpy(text_ + length_, text, count);
  length_ += count;
}

std::string_view XmlFieldText::Finish() {
  code_ = 0;
  std::string_view text(text_, length_);
  if (text == "\n") return {};
  return text.substr(0, platform::Utf8PrefixLength(text, kTextSlotCapacity));
}

std::int32_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(kLimit + 1, value * 10 + (text[i] - '0'));
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min(value, kLimit));
}

}  // namespace catalogue
