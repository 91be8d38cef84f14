#include "core/Utilities.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/BrowserLauncher.h"
#include "platform/TextCodec.h"

namespace core {

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
         c == '\\';
}

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Reads one "%d" field: optional blanks and sign, then digits. Returns false (and leaves the
// value) when no digit follows. Values beyond the int range are clamped.
bool ReadNumber(const char*& p, long& value) {
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  const char* start = p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p < '0' || *p > '9') {
    p = start;
    return false;
  }
  long result = 0;
  while (*p >= '0' && *p <= '9') {
    if (result < INT_MAX) result = result * 10 + (*p - '0');
    ++p;
  }
  if (result > INT_MAX) result = INT_MAX;
  value = negative ? -result : result;
  return true;
}

}  // namespace

void UrlEncode(char* output, std::int32_t capacity, const char* input) {
  std::int32_t written = 0;
  for (const char* p = input; *p; ++p) {
    auto byte = static_cast<unsigned char>(*p);
    if (byte == ' ' || IsUnreserved(byte)) {
      if (written >= capacity) break;
      output[written++] = byte == ' ' ? '+' : static_cast<char>(byte);
    } else {
      if (written + 3 >= capacity) break;
      output[written++] = '%';
      output[written++] = kHexDigits[byte >> 4];
      output[written++] = kHexDigits[byte & 15];
    }
  }
  output[written] = '\0';
}

std::string UrlEncode(std::string_view input, std::int32_t capacity) {
  std::string in(input);
  std::string out(capacity > 0 ? static_cast<std::size_t>(capacity) + 1 : 1, '\0');
  UrlEncode(out.data(), capacity, in.c_str());
  out.resize(std::strlen(out.c_str()));
  return out;
}

int Base64Encode(const std::uint8_t* input, std::size_t length, char* output, std::size_t capacity) {
  std::size_t written = 0;
  auto put = [&](char c) {
    if (written >= capacity) return false;
    output[written++] = c;
    return true;
  };
  for (std::size_t i = 0; i < length; i += 3) {
    std::uint32_t group = static_cast<std::uint32_t>(input[i]) << 16;
    std::size_t present = length - i >= 3 ? 3 : length - i;
    if (present > 1) group |= static_cast<std::uint32_t>(input[i + 1]) << 8;
    if (present > 2) group |= input[i + 2];
    if (!put(kBase64Alphabet[(group >> 18) & 63]) || !put(kBase64Alphabet[(group >> 12) & 63])) {
      return 0;
    }
    if (!put(present > 1 ? kBase64Alphabet[(group >> 6) & 63] : '=')) return 0;
    if (!put(present > 2 ? kBase64Alphabet[group & 63] : '=')) return 0;
  }
  return put('\0') ? 1 : 0;
}

std::unique_ptr<char[]> WideToNarrow(const char16_t* wide) {
  if (!wide) return nullptr;
  std::string narrow = platform::Utf16ToUtf8(wide);
  auto result = std::make_unique<char[]>(narrow.size() + 1);
  std::memcpy(result.get(), narrow.c_str(), narrow.size() + 1);
  return result;
}

std::u16string FormatCatalogueDate(const char* date) {
  static const char* const kMonths[13] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  long year = 0, month = 0, day = 0;
  const char* p = date ? date : "";
  // Like "%d-%d-%d": reading stops at the first field or dash that is not there.
  if (ReadNumber(p, year) && *p == '-' && ReadNumber(++p, month) && *p == '-') ReadNumber(++p, day);
  const char* abbreviation = month >= 0 && month <= 12 ? kMonths[month] : "";
  char text[64];
  std::snprintf(text, sizeof text, "%s. %ld, %ld", abbreviation, day, year);
  return platform::Utf8ToUtf16(text);
}

void OpenInBrowser(const char* url) {
  if (!url) return;
  // The browser's command line holds 512 wide characters, terminator included.
  constexpr std::size_t kMaxUrl = 511;
  std::string_view text(url);
  text = text.substr(0, platform::Utf8PrefixLength(text, kMaxUrl));
  platform::LaunchBrowser(text);
}

}  // namespace core
