#pragma once

#include <map>
#include <string>

#include "server/HttpExchange.h"

namespace servertest {

// A request given as plain maps, for driving the API without sockets.
class FakeRequest : public server::HttpRequest {
 public:
  explicit FakeRequest(std::string path, std::map<std::string, std::string> arguments = {},
                       std::map<std::string, std::string> headers = {})
      : path_(std::move(path)), arguments_(std::move(arguments)), headers_(std::move(headers)) {}
  std::string Method() const override { return "GET"; }
  std::string Path() const override { return path_; }
  std::optional<std::string> Argument(const char* key) const override { return Find(arguments_, key); }
  std::optional<std::string> Header(const char* name) const override { return Find(headers_, name); }

 private:
  static std::optional<std::string> Find(const std::map<std::string, std::string>& map, const char* key) {
    const auto it = map.find(key);
    return it == map.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::string path_;
  std::map<std::string, std::string> arguments_;
  std::map<std::string, std::string> headers_;
};

}  // namespace servertest
