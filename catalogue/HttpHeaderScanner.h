#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "catalogue/HttpClientLimits.h"

namespace catalogue {

// Follows the raw bytes of one reply, block by block, to find where the header block ends
// (the first CR LF CR LF) and the value of its "Content-Length:" header (name in any case). Both may be split
// across any number of blocks. Only the header block is searched, and only at line starts,
// so that body bytes or another header's value never count as the length.
class HttpHeaderScanner {
 public:
  // Takes the next received block; returns how many of its bytes belong to the header block
  // (the rest, if any, is body).
  std::size_t Feed(const std::uint8_t* bytes, std::size_t length);

  bool HeadersComplete() const { return state_ == State::kBody; }
  // Bytes of the header block fed so far (its whole length once complete).
  std::size_t HeaderLength() const { return headerLength_; }
  bool ContentLengthFound() const { return contentLengthFound_; }
  // The first "Content-Length:" value: a decimal number between optional spaces; 0 when the
  // value is negative, not a number, or beyond 2^31 - 1.
  std::int32_t ContentLength() const { return contentLength_; }

  static std::int32_t ParseContentLength(std::string_view value);
  // Where the body of the reply whose status line and headers are `headerBlock` starts in
  // the resource: 0 for a 200, the first byte of its Content-Range ("bytes N-...", name in
  // any case) for a 206; none for any other status or a 206 without a readable range.
  static std::optional<std::uint32_t> BodyStart(std::string_view headerBlock);
  // True when `headerBlock` has "Accept-Ranges: bytes" (name and value in any case).
  static bool AcceptsByteRanges(std::string_view headerBlock);

 private:
  enum class State { kLineStart, kName, kValue, kOtherLine, kBody };
  void EndOfValue();
  std::size_t Scan(const std::uint8_t* bytes, std::size_t length);

  State state_ = State::kLineStart;
  std::size_t nameMatched_ = 0;   // bytes of "Content-Length:" matched at this line start
  std::uint32_t terminator_ = 0;  // last four bytes, to find CR LF CR LF
  char value_[httplimits::kContentLengthValueBytes] = {};  // the value being collected
  std::size_t valueLength_ = 0;
  bool contentLengthFound_ = false;
  std::size_t headerLength_ = 0;
  std::int32_t contentLength_ = 0;
};

}  // namespace catalogue
