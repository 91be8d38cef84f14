#pragma once

#include <chrono>
#include <string>

#include "catalogue/HttpClient.h"
#include "tests/support/ShortHttpOptions.h"
#include "tests/support/WaitUntil.h"

namespace catalogue_test {

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
