#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace server {

// Builds a catalogue reply document: compact UTF-8 XML without whitespace between elements
// (a parser that fills a field from the first text run after its start tag must not see a
// line break there) and with every text escaped.
class XmlReplyWriter {
 public:
  // Opens the document with the XML declaration and the root element.
  explicit XmlReplyWriter(std::string_view root);

  void Open(std::string_view name);
  void Close(std::string_view name);
  // <name>text</name>; nothing at all when text is empty, so that no field is ever an empty
  // element a client could mistake for one holding the next text run.
  void Field(std::string_view name, std::string_view text);
  void Field(std::string_view name, int64_t value);

  // Closes the root and hands over the document.
  std::string Finish();

  // Text made safe for an XML text node: invalid UTF-8, surrogates, U+FFFE/U+FFFF and control
  // characters other than tab, line feed and carriage return become U+FFFD or are dropped;
  // then cut to at most maxBytes without splitting a character.
  static std::string SanitizeText(std::string_view text, size_t maxBytes);
  // & < > " ' as entity references.
  static void AppendEscaped(std::string& out, std::string_view text);

  // Longest field text a client's 512-byte slot can hold with its terminator.
  static constexpr size_t kMaxFieldBytes = 511;

 private:
  std::string root_;
  std::string document_;
};

}  // namespace server
