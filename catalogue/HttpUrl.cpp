#include "catalogue/HttpUrl.h"

#include "catalogue/HttpClientLimits.h"

namespace catalogue {

namespace {

constexpr std::string_view kScheme = "http://";
constexpr int kMaxPort = 65535;

}  // namespace

bool IsAcceptableUrl(std::string_view url) {
  if (url.size() > httplimits::kMaxUrlLength || url.substr(0, kScheme.size()) != kScheme) {
    return false;
  }
  for (unsigned char c : url) {
    if (c <= 0x20 || c == 0x7F) return false;
  }
  return true;
}

bool HttpUrl::Parse(std::string_view url, HttpUrl* out) {
  if (url.substr(0, kScheme.size()) != kScheme) return false;
  std::string_view rest = url.substr(kScheme.size());
  // A bracketed IPv6 address keeps its brackets: the Host header needs them.
  std::size_t hostEnd = rest.empty() || rest[0] != '[' ? rest.find_first_of(":/") : rest.find(']');
  if (hostEnd != std::string_view::npos && rest[hostEnd] == ']') ++hostEnd;
  std::string_view host = rest.substr(0, hostEnd);
  if (host.empty() || host.size() > httplimits::kMaxHostLength) return false;

  int port = 80;
  if (hostEnd != std::string_view::npos && rest[hostEnd] == ':') {
    // A number right after the ':' names the port; anything else leaves the default.
    std::size_t i = hostEnd + 1;
    bool negative = false;
    if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
    if (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
      long value = 0;
      for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        value = value * 10 + (rest[i] - '0');
        if (value > kMaxPort) return false;
      }
      if (negative || value < 1) return false;
      port = static_cast<int>(value);
    }
  }

  std::size_t slash = rest.find('/');
  out->host.assign(host);
  out->port = port;
  out->path = slash == std::string_view::npos ? std::string("/") : std::string(rest.substr(slash));
  return true;
}

}  // namespace catalogue
