#pragma once

#include <cstdint>
#include <functional>
#include <memory>
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

// Called once, from any thread, when a reply or a body that was not ready may have moved on.
using Wake = std::function<void()>;

class ReplyBody;
class PendingReply;

// The handler's answer: a body in memory, a byte range of an open file, or a byte range of a
// body still being made.
struct HttpReply {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  platform::UniqueFd file;  // when valid, the body is fileLength bytes from fileOffset
  std::shared_ptr<ReplyBody> stream;  // when set, the body is fileLength bytes of it from fileOffset
  int64_t fileOffset = 0;
  int64_t fileLength = 0;
  std::vector<std::pair<std::string, std::string>> headers;
  // When set, everything above is decided later: the daemon asks it for the reply, without
  // blocking its thread (see PendingReply).
  std::shared_ptr<PendingReply> pending;

  static HttpReply Text(int status, std::string text) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(text);
    return reply;
  }
};

// A reply body that grows while it is sent (a transcode in progress), read by offset.
class ReplyBody {
 public:
  virtual ~ReplyBody() = default;
  // Copies up to size bytes from offset into buffer and returns how many (> 0); 0 when none
  // are there yet, and then wake is called once when there may be; -1 when the body will
  // never be complete (the connection is closed short of its length).
  virtual int64_t Read(int64_t offset, char* buffer, size_t size, const Wake& wake) = 0;
};

// A reply that waits for something (a source file's header) before it can be decided.
class PendingReply {
 public:
  virtual ~PendingReply() = default;
  // True, with reply set, when it is decided; false when not yet, and then wake is called once
  // when it may be.
  virtual bool Take(HttpReply& reply, const Wake& wake) = 0;
};

}  // namespace server
