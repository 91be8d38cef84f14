#include "catalogue/CatalogueRequest.h"

#include <algorithm>
#include <cstring>

#include "platform/DebugLog.h"

namespace catalogue {
namespace {

constexpr std::size_t kEscapeLength = 3;  // "%XX"
constexpr std::size_t kMaxContinuationBytes = 3;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The last byte of text[0, length), escaped ("%XX") or raw, and how many characters of the
// text it takes (0 for an empty text).
std::size_t LastByte(const char* text, std::size_t length, unsigned char& byte) {
  if (length >= kEscapeLength && text[length - kEscapeLength] == '%') {
    const int high = HexDigit(text[length - 2]), low = HexDigit(text[length - 1]);
    if (high >= 0 && low >= 0) {
      byte = static_cast<unsigned char>(high * 16 + low);
      return kEscapeLength;
    }
  }
  if (length == 0) return 0;
  byte = static_cast<unsigned char>(text[length - 1]);
  return 1;
}

// The length of text[0, length) without a last UTF-8 character that lost bytes to the cut.
std::size_t WithoutSplitCharacter(const char* text, std::size_t length) {
  std::size_t end = length;
  for (std::size_t continuation = 0; continuation <= kMaxContinuationBytes; ++continuation) {
    unsigned char byte = 0;
    const std::size_t size = LastByte(text, end, byte);
    if (size == 0) return length;
    if ((byte & 0xC0) != 0x80) {
      const std::size_t needed = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
      return needed > continuation ? end - size : length;
    }
    end -= size;
  }
  return length;
}

}  // namespace

CatalogueRequest::CatalogueRequest(std::string baseUrl, core::RequestIdentity identity,
                                   const HttpClientOptions& httpOptions)
    : baseUrl_(std::move(baseUrl)), identity_(std::move(identity)), httpOptions_(httpOptions) {
  // A trailing '/' of the configured address would double the one every path starts with.
  while (!baseUrl_.empty() && baseUrl_.back() == '/') baseUrl_.pop_back();
}

CatalogueRequest::CatalogueRequest(std::string baseUrl, const core::AppSettings& settings,
                                   const HttpClientOptions& httpOptions)
    : CatalogueRequest(std::move(baseUrl), core::RequestIdentity::From(settings), httpOptions) {}

CatalogueRequest::~CatalogueRequest() = default;

void CatalogueRequest::setRequestText(const char* text) {
  if (!text) text = "";
  std::size_t length = ::strnlen(text, kRequestTextSize - 1);
  if (length >= 1 && text[length - 1] == '%') {
    length -= 1;
  } else if (length >= 2 && text[length - 2] == '%') {
    length -= 2;
  }
  length = WithoutSplitCharacter(text, length);
  std::memmove(requestText_, text, length);  // text may be requestText_ itself
  std::memset(requestText_ + length, 0, sizeof requestText_ - length);
}

int CatalogueRequest::run(std::int32_t start) {
  startIndex = start;
  {
    std::lock_guard<std::mutex> lock(clientLock_);
    client_ = std::make_unique<HttpClient>(httpOptions_);
  }
  clearItems();
  // abandon() may stop the client from another thread: what it leaves is not to be parsed.
  if (abandoned_.load()) return 0;
  const HttpClient::WholeBodyReply result = client_->fetchWholeBody(url_);
  if (abandoned_.load()) return 0;
  if (!result.body.empty()) parse(result.body.data(), result.body.size());
  return result.status == HttpClient::FetchStatus::kFinished || !result.body.empty() ? 1 : 0;
}

void CatalogueRequest::abandon() {
  abandoned_.store(true);
  std::lock_guard<std::mutex> lock(clientLock_);
  if (client_) client_->stop();
}

int CatalogueRequest::nextPage() {
  if (std::int64_t{startIndex} + pageSize >= totalCount) return 0;
  clearItems();
  startIndex += pageSize;
  buildUrl(requestText_);
  return run(startIndex);
}

int CatalogueRequest::previousPage() {
  if (startIndex == 0) return 0;
  clearItems();
  startIndex = startIndex > pageSize ? startIndex - pageSize : 0;
  buildUrl(requestText_);
  return run(startIndex);
}

void CatalogueRequest::onXmlEvent(const char* text, int length, int eventType, const char**) {
  switch (eventType) {
    case kCharacterData:
      field_.Append(text, static_cast<std::size_t>(length));
      return;
    case kElementStart:
    case kElementEnd:
      if (field_.code() != 0) {
        int code = field_.code();
        onFieldText(code, field_.Finish());
      }
      if (eventType == kElementStart) {
        onElementStart(text);
      } else {
        onElementEnd(text);
      }
      return;
    default:
      platform::DebugOutput("Unknown datatype from DataHandler");
  }
}

bool CatalogueRequest::roomForItem(std::size_t kept, std::size_t limit) {
  if (kept < limit) return true;
  if (!itemsCutNoted_) {
    platform::DebugPrintf("catalogue reply cut after %zu items", limit);
    itemsCutNoted_ = true;
  }
  return false;
}

std::size_t CatalogueRequest::pageLimit() const {
  return pageSize > 0 ? std::min(kMaxReplyItems, static_cast<std::size_t>(pageSize)) : kMaxReplyItems;
}

void CatalogueRequest::installHandlers() {
  itemsCutNoted_ = false;
  XML_SetElementHandler(parser(), &CatalogueRequest::OnStart, &CatalogueRequest::OnEnd);
  XML_SetCharacterDataHandler(parser(), &CatalogueRequest::OnText);
  beginDocument();
}

void CatalogueRequest::bindUserData() {
  XML_SetUserData(parser(), static_cast<XmlReader*>(this));
}

void XMLCALL CatalogueRequest::OnStart(void* userData, const XML_Char* name,
                                       const XML_Char** attributes) {
  auto* request = static_cast<CatalogueRequest*>(static_cast<XmlReader*>(userData));
  if (!request->enterElement()) return;
  request->onXmlEvent(name, static_cast<int>(std::strlen(name)), kElementStart, attributes);
}

void XMLCALL CatalogueRequest::OnEnd(void* userData, const XML_Char* name) {
  auto* request = static_cast<CatalogueRequest*>(static_cast<XmlReader*>(userData));
  if (!request->leaveElement()) return;
  request->onXmlEvent(name, static_cast<int>(std::strlen(name)), kElementEnd, nullptr);
}

void XMLCALL CatalogueRequest::OnText(void* userData, const XML_Char* text, int length) {
  auto* request = static_cast<CatalogueRequest*>(static_cast<XmlReader*>(userData));
  request->onXmlEvent(text, length, kCharacterData, nullptr);
}

}  // namespace catalogue
