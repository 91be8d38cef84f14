#include "catalogue/XmlReader.h"

#include <algorithm>
#include <climits>

#include "platform/DebugLog.h"

namespace catalogue {

int XmlReader::parse(const char* bytes, std::size_t length) {
  parser_ = ExpatParser::Create();
  refusedDoctype_ = false;
  depth_ = 0;
  const int status = parser_ && length <= static_cast<std::size_t>(INT_MAX) ? feed(bytes, length) : XML_STATUS_ERROR;
  // expat keeps its buffer and every open element until it is freed: now, not at the next parse.
  parser_ = ExpatParser();
  return status;
}

bool XmlReader::enterElement() {
  if (++depth_ <= kMaxDepth) return true;
  if (depth_ == kMaxDepth + 1) {
    platform::DebugOutput("catalogue reply nested too deep: refused");
    XML_StopParser(parser_.Get(), XML_FALSE);
  }
  return false;
}

int XmlReader::feed(const char* bytes, std::size_t length) {
  installHandlers();
  bindUserData();
  XML_SetStartDoctypeDeclHandler(parser_.Get(), &XmlReader::OnDoctype);
  // Fed in pieces: expat copies what it is given into its own buffer, so one call would hold
  // a second copy of a reply as large as the body cap.
  constexpr std::size_t kPiece = 64 * 1024;
  for (;;) {
    const std::size_t piece = std::min(length, kPiece);
    const bool last = piece == length;
    const int status = XML_Parse(parser_.Get(), bytes, static_cast<int>(piece), last ? 1 : 0);
    if (status != XML_STATUS_OK || last) return status;
    bytes += piece;
    length -= piece;
  }
}

void XMLCALL XmlReader::OnDoctype(void* userData, const XML_Char*, const XML_Char*,
                                  const XML_Char*, int) {
  auto* reader = static_cast<XmlReader*>(userData);
  reader->refusedDoctype_ = true;
  platform::DebugOutput("catalogue reply with a DOCTYPE refused");
  XML_StopParser(reader->parser_.Get(), XML_FALSE);
}

}  // namespace catalogue
