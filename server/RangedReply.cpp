#include "server/RangedReply.h"

#include <utility>

#include "server/ByteRange.h"

namespace server {

bool RangedReply::Frame(int64_t size, const std::string& rangeHeader, HttpReply& reply) {
  const ByteRange range = ByteRange::Parse(rangeHeader, size);
  if (range.unsatisfiable) {
    reply = HttpReply::Text(416, "");
    reply.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
    return false;
  }
  reply.contentType = "audio/mpeg";
  reply.headers.emplace_back("Accept-Ranges", "bytes");
  reply.fileOffset = range.partial ? range.first : 0;
  reply.fileLength = range.partial ? range.last - range.first + 1 : size;
  if (range.partial) {
    reply.status = 206;
    reply.headers.emplace_back("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                    std::to_string(range.last) + "/" + std::to_string(size));
  }
  return true;
}

HttpReply RangedReply::File(platform::UniqueFd file, int64_t size, const std::string& rangeHeader) {
  HttpReply reply;
  if (Frame(size, rangeHeader, reply)) reply.file = std::move(file);
  return reply;
}

HttpReply RangedReply::Stream(std::shared_ptr<ReplyBody> body, int64_t size, const std::string& rangeHeader) {
  HttpReply reply;
  if (Frame(size, rangeHeader, reply)) reply.stream = std::move(body);
  return reply;
}

}  // namespace server
