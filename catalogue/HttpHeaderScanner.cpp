#include "catalogue/HttpHeaderScanner.h"

#include <limits>
#include <string>

namespace catalogue {

namespace {

// Lower case: header names are matched without regard to case.
constexpr char kContentLengthName[] = "content-length:";
constexpr std::size_t kNameLength = sizeof kContentLengthName - 1;
constexpr std::uint32_t kCrLfCrLf = 0x0D0A0D0A;

std::uint8_t AsciiLower(std::uint8_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

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

std::optional<std::uint32_t> HttpHeaderScanner::BodyStart(std::string_view headerBlock) {
  const std::size_t lineEnd = headerBlock.find('\n');
  const std::string_view status = headerBlock.substr(0, lineEnd);
  // "HTTP/1.x 200" or "HTTP/1.x 206", then the end of the line or a reason phrase.
  if (status.size() < 12 || status.substr(0, 7) != "HTTP/1." ||
      (status.size() > 12 && status[12] != ' ' && status[12] != '\r')) {
    return std::nullopt;
  }
  if (status.substr(8, 4) == " 200") return 0;
  if (status.substr(8, 4) != " 206") return std::nullopt;
  std::size_t start = lineEnd;
  while (start != std::string_view::npos && start + 1 < headerBlock.size()) {
    const std::size_t next = headerBlock.find('\n', start + 1);
    std::string_view line = headerBlock.substr(start + 1, next == std::string_view::npos ? std::string_view::npos : next - start - 1);
    start = next;
    constexpr std::string_view kName = "content-range:";
    if (line.size() < kName.size()) continue;
    bool matches = true;
    for (std::size_t i = 0; i < kName.size() && matches; ++i) {
      matches = AsciiLower(static_cast<std::uint8_t>(line[i])) == static_cast<std::uint8_t>(kName[i]);
    }
    if (!matches) continue;
    std::string_view value = line.substr(kName.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    constexpr std::string_view kUnit = "bytes ";
    if (value.substr(0, kUnit.size()) != kUnit) return std::nullopt;
    value.remove_prefix(kUnit.size());
    std::uint64_t first = 0;
    std::size_t digits = 0;
    for (; digits < value.size() && value[digits] >= '0' && value[digits] <= '9'; ++digits) {
      first = first * 10 + static_cast<std::uint64_t>(value[digits] - '0');
      if (first > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    }
    if (digits == 0 || digits == value.size() || value[digits] != '-') return std::nullopt;
    return static_cast<std::uint32_t>(first);
  }
  return std::nullopt;
}

void HttpHeaderScanner::EndOfValue() {
  contentLengthFound_ = true;
  contentLength_ = ParseContentLength(std::string_view(value_, valueLength_));
  valueLength_ = 0;
}

std::size_t HttpHeaderScanner::Feed(const std::uint8_t* bytes, std::size_t length) {
  const std::size_t header = Scan(bytes, length);
  headerLength_ += header;
  return header;
}

std::size_t HttpHeaderScanner::Scan(const std::uint8_t* bytes, std::size_t length) {
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
            AsciiLower(c) == static_cast<std::uint8_t>(kContentLengthName[nameMatched_])) {
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

bool HttpHeaderScanner::AcceptsByteRanges(std::string_view headerBlock) {
  constexpr std::string_view kName = "accept-ranges:";
  std::size_t start = headerBlock.find('\n');
  while (start != std::string_view::npos && start + 1 < headerBlock.size()) {
    const std::size_t next = headerBlock.find('\n', start + 1);
    std::string_view line = headerBlock.substr(start + 1, next == std::string_view::npos ? std::string_view::npos : next - start - 1);
    start = next;
    if (line.size() < kName.size()) continue;
    std::string lower;
    for (char c : line) lower += static_cast<char>(AsciiLower(static_cast<std::uint8_t>(c)));
    if (lower.compare(0, kName.size(), kName) != 0) continue;
    std::string_view value = std::string_view(lower).substr(kName.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    if (value.substr(0, 5) == "bytes") return true;
  }
  return false;
}

}  // namespace catalogue
