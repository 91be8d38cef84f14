// The server's Range header parser: a range it serves lies inside the file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "server/ByteRange.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(std::uint32_t)) return 0;
  std::uint32_t fileSize;
  std::memcpy(&fileSize, data, sizeof fileSize);
  const std::string_view header(reinterpret_cast<const char*>(data + sizeof fileSize), size - sizeof fileSize);
  const server::ByteRange range = server::ByteRange::Parse(header, fileSize);
  fuzz::Require(!(range.partial && range.unsatisfiable));
  if (range.partial) fuzz::Require(0 <= range.first && range.first <= range.last && range.last < int64_t(fileSize));
  return 0;
}
