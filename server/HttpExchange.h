#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/UniqueFd.h"

namespace server {

// What a request handler sees of one HTTP request.
class HttpRequest {
 public:
  virtual ~HttpRequest() = default;
  virtual std::string Method() const = 0;
  // The path without the query, percent-decoded.
  virtual std::string Path() const = 0;
  // A decoded query argument ('+' as a space); nullopt when absent.
  virtual std::optional<std::string> Argument(const char* key) const = 0;
  virtual std::optional<std::string> Header(const char* name) const = 0;
};

// The handler's answer: a body in memory or a byte range of an open file.
struct HttpReply {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  platform::UniqueFd file;  // when valid, the body is fileLength bytes from fileOffset
  int64_t fileOffset = 0;
  int64_t fileLength = 0;
  std::vector<std::pair<std::string, std::string>> headers;

  static HttpReply Text(int status, std::string text) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(text);
    return reply;
  }
};

}  // namespace server
