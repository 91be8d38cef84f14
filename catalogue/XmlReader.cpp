#include "catalogue/XmlReader.h"

#include <climits>

#include "platform/DebugLog.h"

namespace catalogue {

int XmlReader::parse(const char* bytes, std::size_t length) {
  parser_ = ExpatParser::Create();
  refusedDoctype_ = false;
  if (!parser_ || length > static_cast<std::size_t>(INT_MAX)) return XML_STATUS_ERROR;
  installHandlers();
  bindUserData();
  XML_SetStartDoctypeDeclHandler(parser_.Get(), &XmlReader::OnDoctype);
  return XML_Parse(parser_.Get(), bytes, static_cast<int>(length), 1);
}

void XMLCALL XmlReader::OnDoctype(void* userData, const XML_Char*, const XML_Char*,
                                  const XML_Char*, int) {
  auto* reader = static_cast<XmlReader*>(userData);
  reader->refusedDoctype_ = true;
  platform::DebugOutput("catalogue reply with a DOCTYPE refused");
  XML_StopParser(reader->parser_.Get(), XML_FALSE);
}

}  // namespace catalogue
