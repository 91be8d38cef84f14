#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/UniqueFd.h"
#include "server/HttpExchange.h"

namespace server {

// MP3 stream replies with byte ranges: the whole body (200), one Range (206 with
// Content-Range) or 416 beyond the end; always Accept-Ranges and audio/mpeg.
class RangedReply {
 public:
  static HttpReply File(platform::UniqueFd file, int64_t size, const std::string& rangeHeader);
  static HttpReply Stream(std::shared_ptr<ReplyBody> body, int64_t size, const std::string& rangeHeader);

 private:
  // The status and headers; false when the range cannot be served (reply is the 416).
  static bool Frame(int64_t size, const std::string& rangeHeader, HttpReply& reply);
};

}  // namespace server
