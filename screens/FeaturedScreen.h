#pragma once

#include <memory>
#include <string>

#include "catalogue/FeaturedCueListsRequest.h"
#include "screens/PagedListScreen.h"

namespace core {
class AppSettings;
}  // namespace core

namespace screens {

// Tab 1: the catalogue's featured CueLists, one page at a time, under the range of their
// publish dates ("Nov. 3, 2008 - Nov. 17, 2008", or one date when the page shares it). The
// first page is fetched when the main window first lays the screens out (1029).
class FeaturedScreen : public PagedListScreen {
 public:
  FeaturedScreen();
  ~FeaturedScreen() override;

  // The catalogue server and the identity its requests carry; before Create.
  void SetCatalogue(const std::string& baseUrl, const core::AppSettings& settings,
                    const catalogue::HttpClientOptions& httpOptions = catalogue::HttpClientOptions());

  // While active, or when force is set: layer 2 the title strip and the page control, 1 the
  // list.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  void Show() override;
  void Hide() override;
  // The selected CueList with "Replace Current Playlist".
  void FillItemPopup(ui::Screen& itemPopup) override;
  // After a rotation (and at the first layout): the page that holds the selected CueList,
  // fetched at the new page size when the program has its API key.
  void Invalidate() override;

  // Fetches the current page (the first when reset is set).
  void Refresh(bool reset);
  // The CueList of the selected row; null while there is none.
  const catalogue::CueListRecord* SelectedCueList() const;

  // The title of a page whose first and last publish dates are these.
  static std::u16string DateRangeTitle(const std::u16string& first, const std::u16string& last);

 private:
  bool HasRequest() const override { return request_ != nullptr; }
  catalogue::CatalogueRequest& Request() override { return *request_; }
  void RebuildRows() override;

  std::unique_ptr<catalogue::FeaturedCueListsRequest> request_;
  const core::AppSettings* settings_ = nullptr;
};

}  // namespace screens
