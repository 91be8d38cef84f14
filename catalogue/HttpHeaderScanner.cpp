#include "catalogue/HttpHeaderScanner.h"

#include <limits>

namespace {

constexpr char kContentLengthName[] = "Content-Length:";
constexpr std::size_t kNameLength = sizeof kContentLengthName - 1;
constexpr std::uint32_t kCrLfCrLf = 0x0D0A0D0A;

}  // namespace

std::int32_t HttpHeaderScanner::ParseContentLength(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  if (i == value.size() || value[i] < '0' || value[i] > '9') return 0;
  std::int64_t number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10 + (value[i] - '0');
    if (number > std::numeric_limits<std::int32_t>::max()) return 0;
  }
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t' || value[i] == '\r')) ++i;
  return i == value.size() ? static_cast<std::int32_t>(number) : 0;
}

void HttpHeaderScanner::EndOfValue() {
  contentLengthFound_ = true;
  contentLength_ = ParseContentLength(std::string_view(value_, valueLength_));
  valueLength_ = 0;
}

std::size_t HttpHeaderScanner::Feed(const std::uint8_t* bytes, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (state_ == State::kBody) return i;
    std::uint8_t c = bytes[i];
    terminator_ = (terminator_ << 8) | c;
    if (terminator_ == kCrLfCrLf) {
      if (state_ == State::kValue) EndOfValue();
      state_ = State::kBody;
      return i + 1;
    }
    switch (state_) {
      case State::kLineStart:
      case State::kName:
        if (!contentLengthFound_ && nameMatched_ < kNameLength &&
            c == static_cast<std::uint8_t>(kContentLengthName[nameMatched_])) {
          state_ = ++nameMatched_ == kNameLength ? State::kValue : State::kName;
        } else {
          state_ = c == '\n' ? State::kLineStart : State::kOtherLine;
          nameMatched_ = 0;
        }
        break;
      case State::kValue:
        if (c == '\n') {
          EndOfValue();
          state_ = State::kLineStart;
          nameMatched_ = 0;
        } else if (valueLength_ < sizeof value_) {
          value_[valueLength_++] = static_cast<char>(c);
        }
        break;
      case State::kOtherLine:
        if (c == '\n') {
          state_ = State::kLineStart;
          nameMatched_ = 0;
        }
        break;
      case State::kBody:
        break;
    }
  }
  return length;
}
