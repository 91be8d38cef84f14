#include "catalogue/ItemRecords.h"

#include <cstring>

#include "platform/TextCodec.h"

namespace catalogue {

void CopyToSlot(char (&slot)[kTextSlotSize], std::string_view text) {
  std::size_t length = platform::Utf8PrefixLength(text, kTextSlotCapacity);
  if (length > 0) std::memcpy(slot, text.data(), length);
  std::memset(slot + length, 0, kTextSlotSize - length);
}

std::string_view SlotText(const char (&slot)[kTextSlotSize]) {
  return std::string_view(slot, ::strnlen(slot, kTextSlotSize));
}

}  // namespace catalogue
