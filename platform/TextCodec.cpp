#include "platform/TextCodec.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view in) {
  std::u16string out;
  out.reserve(in.size());
  std::size_t i = 0;
  while (i < in.size()) {
    const auto lead = static_cast<unsigned char>(in[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    int length = 0;
    std::uint32_t cp = 0;
    std::uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    int taken = 1;
    while (taken < length && i + taken < in.size() &&
           IsContinuation(static_cast<unsigned char>(in[i + taken]))) {
      cp = (cp << 6) | (static_cast<unsigned char>(in[i + taken]) & 0x3F);
      ++taken;
    }
    i += taken;
    if (taken < length || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    std::uint32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendCodePoint(out, cp);
  }
  return out;
}

std::size_t Utf8PrefixLength(std::string_view utf8, std::size_t maxBytes) {
  if (utf8.size() <= maxBytes) return utf8.size();
  std::size_t cut = maxBytes;
  // Step back over continuation bytes to the start of the character that straddles the cut.
  while (cut > 0 && IsContinuation(static_cast<unsigned char>(utf8[cut]))) --cut;
  return cut;
}

std::size_t Utf16PrefixLength(std::u16string_view utf16, std::size_t maxUnits) {
  if (utf16.size() <= maxUnits) return utf16.size();
  if (maxUnits > 0 && utf16[maxUnits - 1] >= 0xD800 && utf16[maxUnits - 1] <= 0xDBFF) {
    return maxUnits - 1;
  }
  return maxUnits;
}

}  // namespace platform
