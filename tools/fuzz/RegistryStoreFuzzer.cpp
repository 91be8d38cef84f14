// The settings store's text reader: whatever it accepts writes back to text that reads the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/RegistryStore.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto keys = platform::RegistryStore::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!keys) return 0;
  const auto again = platform::RegistryStore::Parse(platform::RegistryStore::Serialize(*keys));
  fuzz::Require(again.has_value() && *again == *keys);
  return 0;
}
