#pragma once

#include <expat.h>

#include <utility>

namespace catalogue {

// Move-only owner of one expat parser; frees it on destruction.
class ExpatParser {
 public:
  ExpatParser() = default;
  // A new parser that takes the document's own encoding declaration (UTF-8 by default).
  static ExpatParser Create() { return ExpatParser(XML_ParserCreate(nullptr)); }

  ExpatParser(ExpatParser&& other) noexcept : parser_(std::exchange(other.parser_, nullptr)) {}
  ExpatParser& operator=(ExpatParser&& other) noexcept {
    if (this != &other) {
      Free();
      parser_ = std::exchange(other.parser_, nullptr);
    }
    return *this;
  }
  ExpatParser(const ExpatParser&) = delete;
  ExpatParser& operator=(const ExpatParser&) = delete;
  ~ExpatParser() { Free(); }

  XML_Parser Get() const { return parser_; }
  explicit operator bool() const { return parser_ != nullptr; }

 private:
  explicit ExpatParser(XML_Parser parser) : parser_(parser) {}
  void Free() {
    if (parser_) XML_ParserFree(parser_);
    parser_ = nullptr;
  }

  XML_Parser parser_ = nullptr;
};

}  // namespace catalogue
