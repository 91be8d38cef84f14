#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct png_struct_def;
struct png_info_def;

namespace platform {

// The client's PNG decode: every image becomes 8-bit BGRA rows (an opaque alpha byte added when
// the file has none); 16-bit samples are cut to 8, palettes, small depths and tRNS expanded,
// grey turned to colour; a bKGD colour is composited in (file gamma, dropping the alpha) and a
// gAMA chunk corrects for a 2.2 screen. libpng's errors and warnings go to the debug log.
// One decode per object: ReadHeader, then ReadRows.
class PngDecoder {
 public:
  static constexpr std::size_t kSignatureBytes = 8;

  struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t rowBytes = 0;
    int channels = 0;
    bool hasBackground = false;
    std::uint8_t background[3] = {0, 0, 0};  // red, green, blue
  };

  PngDecoder();
  ~PngDecoder();
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  // True when the first kSignatureBytes bytes are a PNG signature.
  static bool IsSignature(const std::uint8_t* bytes);

  bool Ok() const { return png_ && info_; }
  // Reads the header from `file` (positioned just after the signature), requests the
  // transforms and reports the decoded layout. Sides above `maxSide` are errors.
  bool ReadHeader(std::FILE* file, std::uint32_t maxSide, Layout* out);
  // Decodes every row into `rows` (height pointers of rowBytes each).
  bool ReadRows(std::uint8_t** rows);

 private:
  png_struct_def* png_ = nullptr;
  png_info_def* info_ = nullptr;
};

}  // namespace platform
