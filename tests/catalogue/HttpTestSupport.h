#pragma once

#include <chrono>
#include <string>

#include "catalogue/HttpClient.h"
#include "tests/support/ShortHttpOptions.h"
#include "tests/support/WaitUntil.h"

namespace catalogue_test {

// Deterministic pseudo-random bytes (a track's body, say).
inline std::string RandomBytes(std::size_t count, std::uint32_t seed) {
  std::string bytes(count, 0);
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = char(seed >> 24);
  }
  return bytes;
}

struct WholeBodyResult {
  int started = 0;
  bool finished = false;
  bool aborted = false;
  std::string body;
  std::int32_t contentLength = 0;
};

// Runs one WholeBody request to its end as the catalogue requests do.
inline WholeBodyResult FetchWholeBody(const std::string& url,
                                      const catalogue::HttpClientOptions& options = testsupport::ShortHttpOptions()) {
  catalogue::HttpClient client(options);
  WholeBodyResult result;
  if (!client.setUrl(url)) return result;
  client.receiveMode = catalogue::HttpClient::WholeBody;
  result.started = client.start();
  if (!result.started) return result;
  testsupport::WaitUntil([&] { return client.isFinished() || client.isAborted(); });
  result.finished = client.isFinished();
  result.aborted = client.isAborted();
  result.body.assign(reinterpret_cast<const char*>(client.body()), client.bodyLength());
  result.contentLength = client.contentLength();
  return result;
}

}  // namespace catalogue_test
