#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"
#include "server/HttpExchange.h"

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

// The reply that serves the file `fd` of `size` bytes for a request with `rangeHeader`
// ("" when it has none): 200 with the whole file or 206 with the range asked for, both with
// "Accept-Ranges: bytes", or 416 with the file's size.
HttpReply RangedFileReply(platform::UniqueFd fd, int64_t size, std::string_view rangeHeader, std::string contentType);

}  // namespace server
