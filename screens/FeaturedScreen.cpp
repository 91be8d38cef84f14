#include "screens/FeaturedScreen.h"


#include "core/AppSettings.h"
#include "core/Utilities.h"
#include "core/WaitCursor.h"
#include "platform/TextCodec.h"
#include "screens/ItemPopupContent.h"
#include "screens/WindowMessages.h"

namespace screens {
namespace {

const CatalogueList::Style kFeaturedListStyle = {
    {{catalogue::kCueList, "\\list_resources\\Selected_CueList_Icon.png", "\\list_resources\\Normal_CueList_Icon.png"}},
    catalogue::kCueList,
    false,
    2,
    false};

}  // namespace

FeaturedScreen::FeaturedScreen() : PagedListScreen(kFeaturedListStyle) {}

FeaturedScreen::~FeaturedScreen() {
  // The rows point into the request's records.
  list_.ClearItems();
}

void FeaturedScreen::SetCatalogue(const std::string& baseUrl, const core::AppSettings& settings,
                                  const catalogue::HttpClientOptions& httpOptions) {
  list_.ClearItems();
  settings_ = &settings;
  request_ = std::make_unique<catalogue::FeaturedCueListsRequest>(baseUrl, settings, httpOptions);
}

void FeaturedScreen::Paint(platform::Canvas& dc, bool force, std::uint32_t layers) {
  if (!active && !force) return;
  if (layers & kLayerSecondary) {
    titleStrip_.Draw(dc);
    pageControl_.Draw(dc);
  }
  if (layers & kLayerMain) list_.Draw(dc);
}

void FeaturedScreen::Show() {
  ui::Screen::Show();
  if (list_.Count() > 0) list_.SetFocus(true);
  titleStrip_.Show();
  pageControl_.Show();
  list_.Show();
}

void FeaturedScreen::Hide() {
  list_.Hide();
  titleStrip_.Hide();
  pageControl_.Hide();
  ui::Screen::Hide();
}

void FeaturedScreen::FillItemPopup(ui::Screen& itemPopup) {
  auto* content = dynamic_cast<ItemPopupContent*>(&itemPopup);
  const catalogue::CueListRecord* cueList = SelectedCueList();
  if (!content || !cueList) return;
  content->ClearEntries();
  content->SetItem(catalogue::ItemRef(std::make_unique<catalogue::CueListRecord>(*cueList)));
  content->AddEntry("Replace Current Playlist", msg::kReplacePlaylist);
}

void FeaturedScreen::Refresh(bool reset) {
  core::BeginWaitCursor();
  if (reset) request_->startIndex = 0;
  const bool completed = FetchPage(nullptr);
  core::EndWaitCursor();
  if (completed) RebuildRows();
}

void FeaturedScreen::Invalidate() {
  if (!request_) return;
  RealignPage();
  if (settings_ && !settings_->apiKey.empty()) Refresh(false);
  pageControl_.currentPage = pageOffset_ / RowsPerPage();
}

void FeaturedScreen::RebuildRows() {
  const std::int32_t total = request_->totalCount;
  std::u16string first, last;
  if (total > 0) {
    list_.ClearItems();
    const std::size_t rows = static_cast<std::size_t>(RowsPerPage());
    for (std::size_t i = 0; i < request_->resultCount() && i < rows; ++i) {
      const catalogue::CueListRecord& record = *request_->itemAt(i);
      (i == 0 ? first : last) = core::FormatCatalogueDate(record.publish_date);
      list_.AddItem(CatalogueRow{catalogue::kCueList, CueListInfo(record), SlotWide(record.title), SlotWide(record.location), &record});
    }
    pageControl_.itemCount = total;
  }
  titleStrip_.SetTitle(DateRangeTitle(first, last));
}

std::u16string FeaturedScreen::DateRangeTitle(const std::u16string& first, const std::u16string& last) {
  // A page of one CueList has no last date of its own.
  if (last.empty()) return first;
  return first != last ? first + u" - " + last : first;
}

const catalogue::CueListRecord* FeaturedScreen::SelectedCueList() const {
  const CatalogueRow* row = list_.SelectedRow();
  return row ? static_cast<const catalogue::CueListRecord*>(row->source) : nullptr;
}

}  // namespace screens
