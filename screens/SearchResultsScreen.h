#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "catalogue/ItemRef.h"
#include "catalogue/SearchRequest.h"
#include "screens/PagedListScreen.h"

namespace core {
class AppSettings;
}  // namespace core

namespace screens {

// Tab 0: a catalogue search and its results, one page at a time: AudioCues, CueLists and
// TextCues mixed in the server's order, under "Results for: <query>". Before any search the
// list shows how to start one; a new search that finds nothing says "No Results", one the
// server does not answer "Server Problem". The searches run on the UI thread's behalf while
// the wait cursor shows (RunModalRequest).
class SearchResultsScreen : public PagedListScreen {
 public:
  SearchResultsScreen();
  ~SearchResultsScreen() override;

  // The catalogue server and the identity its requests carry; before Create.
  void SetCatalogue(const std::string& baseUrl, const core::AppSettings& settings,
                    const catalogue::HttpClientOptions& httpOptions = catalogue::HttpClientOptions());
  // While active: layer 4 the title strip, 2 the page control, 1 the list.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  // Also 1924 (open the selected TextCue's article) and 1927 (the store search for the
  // selected AudioCue's artist and title).
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void Show() override;
  void Hide() override;
  // The selected result with the entries of its kind.
  void FillItemPopup(ui::Screen& itemPopup) override;
  // After a rotation: the page that holds the selected result, fetched again at the new
  // page size; nothing before a search found anything.
  void Invalidate() override;

  // A new search (page 1) over the result kinds (7 all, 1 AudioCues, 2 CueLists, 4 TextCues).
  void NewSearch(std::int32_t kinds, const std::u16string& query);
  // Runs the search for `query`; isNew starts at its first page.
  void StartSearch(const std::u16string& query, bool isNew);
  // The item of the selected row; null while there is none.
  const catalogue::ItemRef* SelectedItem() const;
  catalogue::SearchRequest& Search() { return *request_; }

  // The row a result shows (its kind, three lines and the result itself).
  static CatalogueRow RowFor(const catalogue::ItemRef& item);

 private:
  bool HasRequest() const override { return request_ != nullptr; }
  catalogue::CatalogueRequest& Request() override { return *request_; }
  void RebuildRows() override;
  void ResetPaging();

  std::unique_ptr<catalogue::SearchRequest> request_;
};

}  // namespace screens
