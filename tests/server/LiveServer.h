#pragma once

#include <string>

#include "server/CatalogueServer.h"
#include "tests/server/HttpFetch.h"
#include "tests/server/TestLibrary.h"

namespace servertest {

constexpr const char* kTestKey = "0123456789abcde";

// Catalogue query strings the way the client builds them (key, version and device included).
std::string SearchTarget(const std::string& encodedQuery, int s, int n, int kinds = 7,
                         const std::string& key = kTestKey);
std::string FeaturedTarget(int s, int n, const std::string& key = kTestKey);
std::string PlaylistTarget(const std::string& playlistId, const std::string& key = kTestKey);
std::string ResultsTarget(const std::string& mp3UrlId, const std::string& key = kTestKey);

// A catalogue server on 127.0.0.1 and an ephemeral port over a library, stopped and joined by
// the destructor.
class LiveServer {
 public:
  explicit LiveServer(const TestLibrary& library, unsigned timeoutSeconds = 30,
                      const std::string& versionReply = "");
  ~LiveServer() { server_.Stop(); }
  bool Started() const { return started_; }
  uint16_t Port() const { return server_.Port(); }
  server::CatalogueServer& Server() { return server_; }

 private:
  server::CatalogueServer server_;
  bool started_ = false;
};

}  // namespace servertest
