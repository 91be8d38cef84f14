#include "server/ByteRange.h"

#include <optional>

namespace server {
namespace {

constexpr int64_t kMaxOffset = int64_t{1} << 60;

std::optional<int64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value <= kMaxOffset ? std::optional<int64_t>(value) : std::nullopt;
}

}  // namespace

ByteRange ByteRange::Parse(std::string_view header, int64_t size) {
  ByteRange range;
  constexpr std::string_view kUnit = "bytes=";
  if (header.substr(0, kUnit.size()) != kUnit) return range;
  header.remove_prefix(kUnit.size());
  if (header.find(',') != std::string_view::npos) return range;
  const size_t dash = header.find('-');
  if (dash == std::string_view::npos) return range;
  const std::string_view from = header.substr(0, dash), to = header.substr(dash + 1);

  if (from.empty()) {  // the last N bytes
    const std::optional<int64_t> suffix = Number(to);
    if (!suffix) return range;
    if (*suffix == 0 || size == 0) {
      range.unsatisfiable = true;
      return range;
    }
    range.partial = true;
    range.first = *suffix >= size ? 0 : size - *suffix;
    range.last = size - 1;
    return range;
  }
  const std::optional<int64_t> first = Number(from);
  if (!first) return range;
  int64_t last = size - 1;
  if (!to.empty()) {
    const std::optional<int64_t> given = Number(to);
    if (!given || *given < *first) return range;
    last = *given;
  }
  if (*first >= size) {
    range.unsatisfiable = true;
    return range;
  }
  range.partial = true;
  range.first = *first;
  range.last = last >= size ? size - 1 : last;
  return range;
}

HttpReply RangedFileReply(platform::UniqueFd fd, int64_t size, std::string_view rangeHeader, std::string contentType) {
  const ByteRange range = ByteRange::Parse(rangeHeader, size);
  HttpReply reply;
  if (range.unsatisfiable) {
    reply = HttpReply::Text(416, "");
    reply.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
    return reply;
  }
  reply.contentType = std::move(contentType);
  reply.headers.emplace_back("Accept-Ranges", "bytes");
  reply.file = std::move(fd);
  reply.fileOffset = range.partial ? range.first : 0;
  reply.fileLength = range.partial ? range.last - range.first + 1 : size;
  if (range.partial) {
    reply.status = 206;
    reply.headers.emplace_back("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                    std::to_string(range.last) + "/" + std::to_string(size));
  }
  return reply;
}

}  // namespace server
