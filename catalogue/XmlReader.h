#pragma once

#include <cstddef>

#include "catalogue/ExpatParser.h"

namespace catalogue {

// Parses one XML document at a time with a fresh expat parser. Subclasses register their
// callbacks (installHandlers) and the user data the callbacks receive (bindUserData), which
// must be this object as an XmlReader pointer.
//
// A document that declares a DOCTYPE is refused as soon as the declaration starts, before any
// entity it defines can be expanded: catalogue replies never need one, and entity expansion is
// the way a hostile reply blows up a parser's memory.
class XmlReader {
 public:
  // The deepest element nesting a reply may have (the replies are 3 to 4 deep).
  static constexpr std::size_t kMaxDepth = 64;

  virtual ~XmlReader() = default;
  XmlReader(const XmlReader&) = delete;
  XmlReader& operator=(const XmlReader&) = delete;

  // Parses `bytes` in one call marked final; expat's status (XML_STATUS_OK or _ERROR). Items
  // read before an error stay with the handlers. An element deeper than kMaxDepth ends the
  // parse as an error. The parser and all it holds are freed before the call returns.
  int parse(const char* bytes, std::size_t length);
  // True when the last document was refused for its DOCTYPE.
  bool refusedDoctype() const { return refusedDoctype_; }

 protected:
  XmlReader() = default;
  virtual void installHandlers() = 0;
  virtual void bindUserData() = 0;
  XML_Parser parser() const { return parser_.Get(); }
  // For the subclasses' element handlers, at each start and end: false when the element lies
  // deeper than kMaxDepth and is to be ignored (its start stops the parse).
  bool enterElement();
  bool leaveElement() { return depth_ > 0 && depth_-- <= kMaxDepth; }

 private:
  static void XMLCALL OnDoctype(void* userData, const XML_Char* name, const XML_Char* systemId,
                                const XML_Char* publicId, int hasInternalSubset);

  int feed(const char* bytes, std::size_t length);

  ExpatParser parser_;
  bool refusedDoctype_ = false;
  std::size_t depth_ = 0;
};

}  // namespace catalogue
