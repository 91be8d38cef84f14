#pragma once

#include <string>
#include <string_view>

namespace catalogue {

// The parts of an "http://host[:port][/path]" URL that the client needs to connect.
struct HttpUrl {
  std::string host;  // without the port; an IPv6 address keeps its brackets
  int port = 80;
  std::string path;  // from the first '/' after the host, query included; "/" when none

  // Reads `url`. The host runs from after "http://" to the first ':' or '/' (or is a bracketed
  // IPv6 address); a ':' followed by
  // a decimal number names the port (80 otherwise). False for a URL that does not start with
  // "http://", an empty or overlong host, or a named port outside 1..65535.
  static bool Parse(std::string_view url, HttpUrl* out);
};

// True when `url` may be requested: it starts with "http://", is at most kMaxUrlLength bytes
// and holds no control character and no space (which would let it inject request headers).
bool IsAcceptableUrl(std::string_view url);

}  // namespace catalogue
