// The reply header scanner fed in arbitrary splits must agree with one fed the whole reply:
// the same header length, the same Content-Length.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "catalogue/HttpHeaderScanner.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input(data, size);
  std::size_t cuts[4];
  for (std::size_t& cut : cuts) cut = input.TakeLength(64);
  const std::uint8_t* reply = input.data();
  const std::size_t length = input.size();

  catalogue::HttpHeaderScanner whole;
  const std::size_t wholeHeader = whole.Feed(reply, length);

  catalogue::HttpHeaderScanner pieces;
  std::size_t header = 0, offset = 0;
  for (std::size_t i = 0; offset < length; ++i) {
    const std::size_t piece = std::min(cuts[i % 4], length - offset);
    header += pieces.Feed(reply + offset, piece);
    offset += piece;
  }
  fuzz::Require(header == wholeHeader);
  fuzz::Require(pieces.HeadersComplete() == whole.HeadersComplete());
  fuzz::Require(pieces.ContentLengthFound() == whole.ContentLengthFound());
  fuzz::Require(pieces.ContentLength() == whole.ContentLength());
  fuzz::Require(whole.ContentLength() >= 0);
  fuzz::Require(whole.HeaderLength() == wholeHeader);
  catalogue::HttpHeaderScanner::BodyStart(std::string_view(reinterpret_cast<const char*>(reply), wholeHeader));
  return 0;
}
