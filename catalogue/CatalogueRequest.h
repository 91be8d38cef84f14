#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/HttpClient.h"
#include "catalogue/XmlFieldText.h"
#include "catalogue/XmlReader.h"
#include "core/RequestIdentity.h"

namespace core {
class AppSettings;
}  // namespace core

namespace catalogue {

// One kind of catalogue request: builds its URL, fetches the reply with a WholeBody
// HttpClient, parses it and keeps the items of one page with the paging state until the next
// request. Runs on the calling thread (the UI thread) and blocks until the reply has ended.
//
// Every URL is `baseUrl` ("http://host[:port]", configuration) followed by the request's path
// and query, with the API key, version and device identity of `settings` (copied at
// construction).
class CatalogueRequest : public XmlReader {
 public:
  // Event types handed to onXmlEvent.
  enum XmlEventType : int { kElementStart = 0, kElementEnd = 1, kCharacterData = 2 };
  static constexpr std::size_t kRequestTextSize = 128;
  // The most items one reply may add (a CueList's tracks; pages ask for far fewer). Items
  // beyond it, or beyond a positive pageSize for a paged request, are ignored.
  static constexpr std::size_t kMaxReplyItems = 10000;

  CatalogueRequest(std::string baseUrl, core::RequestIdentity identity,
                   const HttpClientOptions& httpOptions = HttpClientOptions());
  CatalogueRequest(std::string baseUrl, const core::AppSettings& settings,
                   const HttpClientOptions& httpOptions = HttpClientOptions());
  ~CatalogueRequest() override;

  // One parser event: an element start or end (`text` the NUL-terminated name) or a run of
  // character data (`length` bytes, not terminated). A field's text is every run up to the
  // next tag; it is handed to onFieldText when that tag comes.
  virtual void onXmlEvent(const char* text, int length, int eventType, const char** attributes);
  // Takes the request's text (query or playlist id; ignored by the featured request) and
  // formats url() from it and the current fields.
  virtual void buildUrl(const char* text) = 0;
  // Frees every item of the current page.
  virtual void clearItems() = 0;
  virtual std::size_t resultCount() const = 0;

  // Fetches url() and parses the reply into the list (emptied first). 1 when a reply arrived
  // (the server answered and closed, or sent part of a body before going idle), 0 when the
  // server could not be reached or sent nothing.
  int run(std::int32_t start);
  // Ends a run going on in another thread as soon as it can (0, nothing parsed) and makes
  // every later run end at once: for a window closing while it waits on a request. Any
  // thread; call it again until the run has returned, as a connect that was just beginning
  // may miss one call.
  void abandon();
  // The next page, when startIndex + pageSize < totalCount; else nothing.
  int nextPage();
  // The previous page (startIndex - pageSize, at least 0), when startIndex is not 0.
  int previousPage();

  const std::string& url() const { return url_; }
  const char* requestText() const { return requestText_; }
  const std::string& baseUrl() const { return baseUrl_; }
  // The client of the last run (with its body), or null before the first run.
  const HttpClient* client() const { return client_.get(); }

  std::int32_t pageSize = 0;
  std::int32_t startIndex = 0;
  std::int32_t totalCount = 0;

 protected:
  void installHandlers() override;
  void bindUserData() override;
  // Copies `text` into requestText: at most 127 bytes, cut before a "%XX" escape that would
  // not fit whole.
  void setRequestText(const char* text);
  // The values every request carries, as "&sk=...&v=...&di=...".
  std::string identityQuery() const { return identity_.QuerySuffix(); }
  void setUrlText(std::string url) { url_ = std::move(url); }
  // True when a reply that has `kept` items may keep one more, at most `limit`; the first
  // refusal of a reply writes one debug line.
  bool roomForItem(std::size_t kept, std::size_t limit);
  // kMaxReplyItems, or pageSize when that is smaller and positive.
  std::size_t pageLimit() const;
  // Resets the per-document parse state before a reply is parsed.
  virtual void beginDocument() = 0;
  virtual void onElementStart(const char* name) = 0;
  virtual void onElementEnd(const char* name) = 0;
  // The whole text of the field `code` begun with field_.Begin.
  virtual void onFieldText(int code, std::string_view text) = 0;

  XmlFieldText field_;

 private:
  static void XMLCALL OnStart(void* userData, const XML_Char* name, const XML_Char** attributes);
  static void XMLCALL OnEnd(void* userData, const XML_Char* name);
  static void XMLCALL OnText(void* userData, const XML_Char* text, int length);

  std::string baseUrl_;
  const core::RequestIdentity identity_;
  const HttpClientOptions httpOptions_;
  // Guards the replacement of client_ against abandon's stop of it.
  std::mutex clientLock_;
  std::unique_ptr<HttpClient> client_;
  std::atomic<bool> abandoned_{false};
  std::string url_;
  char requestText_[kRequestTextSize] = {};
  bool itemsCutNoted_ = false;  // the debug line of roomForItem was written for this reply
};

}  // namespace catalogue
