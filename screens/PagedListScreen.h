#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/CatalogueRequest.h"
#include "screens/CatalogueList.h"
#include "ui/PageControl.h"
#include "ui/Screen.h"
#include "ui/ScreenText.h"
#include "ui/TitleStrip.h"

namespace screens {

// What the search results and featured screens share: a catalogue list under a title strip
// with a page control over the strip's lower part, one page of a catalogue request at a time
// (pageOffset, always a multiple of the rows per page), the paging by key, button and stroke,
// and the keys and taps of a list screen. The request's fetches run through RunModalRequest.
class PagedListScreen : public ui::Screen, public ui::ScreenText {
 public:
  explicit PagedListScreen(CatalogueList::Style style) : list_(std::move(style)) {}

  // The list (icons, strips), the title strip and the page control: 1, 1001 or 1002 (also
  // when no catalogue was given).
  int Create(platform::Window& owner) override;

  // 1029 realigns the page (Invalidate); 1324 asks the main window for the item popup
  // (1028); 1325 / 1328 turn to the next page by key / button, 1326 / 1327 to the previous.
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // Enter to the list; Left / Right to the neighbouring tab (1025 / 1026); Up / Down move the
  // selection, or turn the page (1326 / 1325) at the first / last row.
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  // The page control first, then the list.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void PageCommand(int direction) override;
  // title, then row or text lines, then page.
  void AppendScreenText(std::vector<std::string>& lines) const override;

  std::int32_t PageOffset() const { return pageOffset_; }
  const CatalogueList& List() const { return list_; }
  const ui::PageControl& Pages() const { return pageControl_; }

 protected:
  // Whether a catalogue was given; the request the pages come from.
  virtual bool HasRequest() const = 0;
  virtual catalogue::CatalogueRequest& Request() = 0;
  // Fills the list (and what goes with it) from the request's current page.
  virtual void RebuildRows() = 0;

  // Creates the list, the title strip and the page control with its buttons at the common
  // rectangles: 1, 1001 or 1002.
  int CreateControls(platform::Window& owner);
  std::int32_t RowsPerPage() const { return list_.rowsPerPage[ui::Orientation()]; }
  // Runs `fetch` on the request; the list is emptied first, since the request frees the
  // records it points to. False when the window closes meanwhile.
  bool Fetch(const std::function<void()>& fetch);
  // Builds the request's URL for `text` at the current rows per page and fetches the page at
  // its startIndex (Fetch).
  bool FetchPage(const char* text);
  // The next / previous page, as the page buttons or the keys turn it.
  void NextPage(bool byButton);
  void PreviousPage(bool byButton);
  // Keeps the selected item selected when the rows per page change: the page becomes the
  // one that holds it. Returns the new offset.
  std::int32_t RealignPage();
  // Draws the list, the title strip and the page control on the window.
  void DrawControls();
  void RepaintList();

  CatalogueList list_;
  ui::TitleStrip titleStrip_;
  ui::PageControl pageControl_;
  std::int32_t pageOffset_ = 0;
};

}  // namespace screens
