// The client's PNG decode, from a file in memory as images are read from disk.
#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/png/PngDecoder.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < platform::PngDecoder::kSignatureBytes || !platform::PngDecoder::IsSignature(data)) return 0;
  FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (!file) return 0;
  std::fseek(file, platform::PngDecoder::kSignatureBytes, SEEK_SET);
  platform::PngDecoder decoder;
  platform::PngDecoder::Layout layout;
  // Sides are kept small so that a claimed size cannot exhaust the fuzzer's memory.
  if (decoder.Ok() && decoder.ReadHeader(file, 512, &layout)) {
    fuzz::Require(layout.width > 0 && layout.height > 0 && layout.width <= 512 && layout.height <= 512);
    fuzz::Require(layout.rowBytes == std::size_t(layout.width) * 4);
    std::vector<std::uint8_t> pixels(layout.rowBytes * layout.height);
    std::vector<std::uint8_t*> rows(layout.height);
    for (std::uint32_t y = 0; y < layout.height; ++y) rows[y] = pixels.data() + y * layout.rowBytes;
    decoder.ReadRows(rows.data());
  }
  std::fclose(file);
  return 0;
}
