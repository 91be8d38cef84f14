#include "server/XmlReplyWriter.h"

#include <utility>

namespace server {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed input yields kReplacement and
// advances by one byte.
char32_t DecodeOne(std::string_view text, size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + static_cast<size_t>(extra) >= text.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3F);
  }
  i += extra + 1;
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  return c;
}

}  // namespace

XmlReplyWriter::XmlReplyWriter(std::string_view root) : root_(root) {
  document_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  Open(root_);
}

void XmlReplyWriter::Open(std::string_view name) {
  document_ += '<';
  document_ += name;
  document_ += '>';
}

void XmlReplyWriter::Close(std::string_view name) {
  document_ += "</";
  document_ += name;
  document_ += '>';
}

void XmlReplyWriter::Field(std::string_view name, std::string_view text) {
  const std::string clean = SanitizeText(text, kMaxFieldBytes);
  if (clean.empty()) return;
  Open(name);
  AppendEscaped(document_, clean);
  Close(name);
}

void XmlReplyWriter::Field(std::string_view name, int64_t value) { Field(name, std::to_string(value)); }

std::string XmlReplyWriter::Finish() {
  Close(root_);
  return std::move(document_);
}

std::string XmlReplyWriter::SanitizeText(std::string_view text, size_t maxBytes) {
  std::string out;
  out.reserve(text.size() < maxBytes ? text.size() : maxBytes);
  size_t i = 0;
  while (i < text.size()) {
    char32_t c = DecodeOne(text, i);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
    if (c == 0x7F) continue;
    if (c == 0xFFFE || c == 0xFFFF) c = kReplacement;
    std::string piece;
    AppendUtf8(piece, c);
    if (out.size() + piece.size() > maxBytes) break;
    out += piece;
  }
  return out;
}

void XmlReplyWriter::AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
}

}  // namespace server
