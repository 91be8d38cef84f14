#include "screens/SearchResultsScreen.h"


#include "core/Utilities.h"
#include "core/WaitCursor.h"
#include "platform/TextCodec.h"
#include "screens/ItemPopupContent.h"
#include "screens/StoreSearch.h"
#include "screens/WindowMessages.h"

namespace screens {
namespace {

const CatalogueList::Style kSearchListStyle = {
    {{catalogue::kAudioCue, "\\list_resources\\Selected_Blue_AudioCue_Icon.png", "\\list_resources\\Normal_Blue_AudioCue_Icon.png"},
     {catalogue::kCueList, "\\list_resources\\Selected_CueList_Icon.png", "\\list_resources\\Normal_CueList_Icon.png"},
     {catalogue::kTextCue, "\\list_resources\\Selected_WikipediaCue_Icon.png", "\\list_resources\\Normal_WikipediaCue_Icon.png"}},
    catalogue::kCueList,
    true,
    2,
    true};

constexpr char16_t kLandscapeHint[] =
    u"Please use the \u201CNew Search\u201D option\nbelow to search for an Audio Title,\n"
    u"Artist Name, CueList Name, or Subject.\n\nResults will be displayed here.";
constexpr char16_t kPortraitHint[] =
    u"Please use the \u201CNew Search\u201D\noption below to search for an\nAudio Title, Artist Name,\n"
    u"CueList Name, or Subject.\n\nResults will be displayed here.";

}  // namespace

SearchResultsScreen::SearchResultsScreen() : PagedListScreen(kSearchListStyle) {
  list_.SetHint(kLandscapeHint, kPortraitHint);
}

SearchResultsScreen::~SearchResultsScreen() {
  // The rows point into the request's results.
  list_.ClearItems();
}

void SearchResultsScreen::SetCatalogue(const std::string& baseUrl, const core::AppSettings& settings,
                                       const catalogue::HttpClientOptions& httpOptions) {
  list_.ClearItems();
  request_ = std::make_unique<catalogue::SearchRequest>(baseUrl, settings, httpOptions);
}

void SearchResultsScreen::Paint(platform::Canvas& dc, bool, std::uint32_t layers) {
  if (!active) return;
  if (layers & 4) titleStrip_.Draw(dc);
  if (layers & kLayerSecondary) pageControl_.Draw(dc);
  if (layers & kLayerMain) list_.Draw(dc);
}

std::intptr_t SearchResultsScreen::OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  const catalogue::ItemRef* item = SelectedItem();
  if (message == msg::kOpenArticle) {
    if (item && item->textCue()) core::OpenInBrowser(item->textCue()->location);
    return 0;
  }
  if (message == msg::kPurchase) {
    if (item && item->audioCue()) OpenStoreSearch(catalogue::SlotText(item->audioCue()->creator), catalogue::SlotText(item->audioCue()->title));
    return 0;
  }
  return PagedListScreen::OnMessage(message, wParam, lParam);
}

void SearchResultsScreen::Show() {
  list_.Show();
  titleStrip_.Show();
  pageControl_.Show();
  if (list_.Count() > 0) list_.SetFocus(true);
  ui::Screen::Show();
}

void SearchResultsScreen::Hide() {
  list_.SetFocus(false);
  list_.Hide();
  titleStrip_.Hide();
  pageControl_.Hide();
  ui::Screen::Hide();
}

void SearchResultsScreen::FillItemPopup(ui::Screen& itemPopup) {
  auto* content = dynamic_cast<ItemPopupContent*>(&itemPopup);
  const catalogue::ItemRef* item = SelectedItem();
  if (!content || !item) return;
  content->SetItem(*item);
  content->ClearEntries();
  if (item->audioCue()) {
    content->AddEntry("Add to Current Playlist", msg::kAddToPlaylist);
    content->AddEntry("Replace Current Playlist", msg::kReplacePlaylist);
    content->AddEntry("Purchase (Launches Browser)...", msg::kPurchase);
  } else if (item->cueList()) {
    content->AddEntry("Replace Current Playlist", msg::kReplacePlaylist);
  } else if (item->textCue()) {
    content->AddEntry("Open Article In Browser...", msg::kOpenArticle);
  }
}

void SearchResultsScreen::ResetPaging() {
  pageControl_.currentPage = 0;
  pageControl_.itemCount = 0;
  pageOffset_ = 0;
}

void SearchResultsScreen::NewSearch(std::int32_t kinds, const std::u16string& query) {
  request_->setResultKinds(static_cast<std::uint32_t>(kinds));
  StartSearch(query, true);
}

void SearchResultsScreen::StartSearch(const std::u16string& query, bool isNew) {
  const std::string encoded = catalogue::SearchRequest::EncodeQuery(platform::Utf16ToUtf8(query));
  if (isNew) {
    request_->startIndex = 0;
    request_->totalCount = 0;
    ResetPaging();
    list_.selected = 0;
  }
  if (!FetchPage(encoded.c_str())) return;
  if (isNew && request_->totalCount == 0) {
    list_.ClearItems();
    ResetPaging();
    titleStrip_.SetTitle(u"");
    core::EndWaitCursor();
    if (!window) return;
    if (request_->totalReceived) {
      window->ShowMessageBox(u"No Results", u"No Results Found", platform::MessageBoxButtons::kOk);
    } else {
      window->ShowMessageBox(u"Server Problem",
                             u"There is a connection problem to the Vornalo servers. Please try search again later.",
                             platform::MessageBoxButtons::kOk);
    }
    return;
  }
  titleStrip_.SetTitle(u"Results for: " + query);
  RebuildRows();
}

void SearchResultsScreen::Invalidate() {
  if (!request_ || request_->totalCount == 0) return;
  RealignPage();
  if (!FetchPage(request_->requestText())) return;
  RebuildRows();
  pageControl_.currentPage = pageOffset_ / RowsPerPage();
}

void SearchResultsScreen::RebuildRows() {
  list_.ClearItems();
  if (request_->resultCount() == 0 || request_->totalCount <= 0) return;
  const std::size_t rows = static_cast<std::size_t>(RowsPerPage());
  for (std::size_t i = 0; i < request_->resultCount() && i < rows; ++i) list_.AddItem(RowFor(*request_->itemAt(i)));
  pageControl_.itemCount = request_->totalCount;
}

const catalogue::ItemRef* SearchResultsScreen::SelectedItem() const {
  const CatalogueRow* row = list_.SelectedRow();
  return row ? static_cast<const catalogue::ItemRef*>(row->source) : nullptr;
}

CatalogueRow SearchResultsScreen::RowFor(const catalogue::ItemRef& item) {
  CatalogueRow row;
  row.kind = item.kind();
  row.source = &item;
  if (const catalogue::AudioCueRecord* audio = item.audioCue()) {
    const std::u16string creator = SlotWide(audio->creator), album = SlotWide(audio->album);
    row.info = creator.empty() ? album : album.empty() ? creator : creator + u" - " + album;
    row.title = SlotWide(audio->title);
    row.location = SlotWide(audio->location);
  } else if (const catalogue::CueListRecord* cueList = item.cueList()) {
    row.info = CueListInfo(*cueList);
    row.title = SlotWide(cueList->title);
    row.location = SlotWide(cueList->location);
  } else if (const catalogue::TextCueRecord* text = item.textCue()) {
    row.info = u"Wikipedia Article";
    row.title = SlotWide(text->title);
    row.location = SlotWide(text->location);
  }
  return row;
}

}  // namespace screens
