#pragma once

#include <string_view>

#include "catalogue/HttpClient.h"

namespace catalogue {

// A Stream-mode client, embedded once by the stream player and reused for every track.
class HttpStream : public HttpClient {
 public:
  explicit HttpStream(std::string_view url = {},
                      const HttpClientOptions& options = HttpClientOptions())
      : HttpClient(options) {
    if (!url.empty()) setUrl(url);
  }
};

}  // namespace catalogue
