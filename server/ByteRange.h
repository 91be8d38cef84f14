#pragma once

#include <cstdint>
#include <string_view>

namespace server {

// The one byte range of a "Range: bytes=..." header over a file of a given size.
struct ByteRange {
  bool partial = false;        // a satisfiable single range: serve [first, last]
  bool unsatisfiable = false;  // a well-formed range that starts beyond the end: 416
  int64_t first = 0;
  int64_t last = 0;

  // An absent, malformed or multi-part header yields neither flag: the whole file is served.
  static ByteRange Parse(std::string_view header, int64_t size);
};

}  // namespace server
