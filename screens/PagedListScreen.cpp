#include "screens/PagedListScreen.h"

#include <algorithm>

#include "core/WaitCursor.h"
#include "platform/TextCodec.h"
#include "screens/ModalRequest.h"
#include "screens/WindowMessages.h"
#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// QVGA rectangles (landscape, portrait).
constexpr platform::Rect kListRects[2] = {{0, 67, 320, 166}, {0, 67, 240, 232}};
constexpr platform::Rect kTitleRects[2] = {{0, 20, 320, 67}, {0, 20, 240, 67}};
constexpr platform::Rect kPageRects[2] = {{4, 47, 320, 67}, {4, 47, 239, 67}};

}  // namespace

int PagedListScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  return HasRequest() ? CreateControls(owner) : 1002;
}

int PagedListScreen::CreateControls(platform::Window& owner) {
  const auto cookie = reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this));
  platform::Rect rects[2];
  ui::ScaleRects(kListRects, rects);
  int result = list_.Create(rects, owner, cookie);
  ui::ScaleRects(kTitleRects, rects);
  if (result == 1) result = titleStrip_.Create(rects, owner, cookie);
  ui::ScaleRects(kPageRects, rects);
  if (result == 1) result = pageControl_.Create(rects, owner, cookie);
  if (result == 1) {
    result = pageControl_.SetButtonImages("\\tab_resources\\page_button_normal.png",
                                          "\\tab_resources\\page_button_clickdown.png");
  }
  return result;
}

bool PagedListScreen::Fetch(const std::function<void()>& fetch) {
  list_.ClearItems();
  return RunModalRequest(window, Request(), fetch);
}

bool PagedListScreen::FetchPage(const char* text) {
  catalogue::CatalogueRequest& request = Request();
  request.pageSize = RowsPerPage();
  request.buildUrl(text);
  return Fetch([&request] { request.run(request.startIndex); });
}

void PagedListScreen::DrawControls() {
  if (!window || !active) return;
  platform::Canvas dc = window->GetDC();
  list_.Draw(dc);
  titleStrip_.Draw(dc);
  pageControl_.Draw(dc);
}

void PagedListScreen::RepaintList() {
  if (!window) return;
  platform::Canvas dc = window->GetDC();
  Paint(dc, false, kLayerMain);
}

void PagedListScreen::NextPage(bool byButton) {
  core::BeginWaitCursor();
  pageControl_.FlashButton(ui::PageControl::kFlashNext);
  const std::int32_t rows = RowsPerPage();
  if (std::int64_t{pageOffset_} + rows >= Request().totalCount) {
    core::EndWaitCursor();
    return;
  }
  pageOffset_ += rows;
  pageControl_.currentPage = pageOffset_ / rows;
  if (!Fetch([this] { Request().nextPage(); })) {
    core::EndWaitCursor();
    return;
  }
  if (!byButton) list_.selected = 0;
  RebuildRows();
  DrawControls();
  core::EndWaitCursor();
}

void PagedListScreen::PreviousPage(bool byButton) {
  core::BeginWaitCursor();
  if (pageControl_.currentPage != 0) {
    pageControl_.FlashButton(ui::PageControl::kFlashPrevious);
    const std::int32_t rows = RowsPerPage();
    if (pageOffset_ != 0) pageOffset_ -= rows;
    pageControl_.currentPage = pageOffset_ / rows;
    if (!Fetch([this] { Request().previousPage(); })) {
      core::EndWaitCursor();
      return;
    }
    RebuildRows();
    if (!byButton) list_.selected = std::max(list_.Count() - 1, 0);
    DrawControls();
  }
  core::EndWaitCursor();
}

std::int32_t PagedListScreen::RealignPage() {
  const std::int32_t rows = RowsPerPage();
  const std::int32_t absolute = pageOffset_ + list_.selected;
  const std::int32_t newOffset = absolute / rows * rows;
  list_.selected = absolute - newOffset;
  list_.UpdateLayout();
  pageOffset_ = newOffset;
  Request().startIndex = newOffset;
  return newOffset;
}

std::intptr_t PagedListScreen::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case msg::kLayoutChanged:
      Invalidate();
      break;
    case ui::msg::kItemActivated:
      if (window) window->Post(msg::kOpenItemPopup, 0, 0);
      break;
    case ui::msg::kNextPageByKey:
      NextPage(false);
      break;
    case ui::msg::kPreviousPageByKey:
      PreviousPage(false);
      break;
    case ui::msg::kPreviousPageButton:
      PreviousPage(true);
      break;
    case ui::msg::kNextPageButton:
      NextPage(true);
      break;
    default:
      break;
  }
  return 0;
}

void PagedListScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) {
  const auto self = reinterpret_cast<std::uintptr_t>(static_cast<ui::Screen*>(this));
  switch (virtualKey) {
    case platform::vk::kReturn:
      list_.OnKey(virtualKey);
      break;
    case platform::vk::kLeft:
      if (window) window->Post(msg::kPreviousTab, self, 0);
      break;
    case platform::vk::kRight:
      if (window) window->Post(msg::kNextTab, self, 0);
      break;
    case platform::vk::kUp:
    case platform::vk::kDown:
      if (list_.OnKey(virtualKey)) {
        RepaintList();
      } else if (window) {
        window->Post(virtualKey == platform::vk::kUp ? ui::msg::kPreviousPageByKey : ui::msg::kNextPageByKey, self, 0);
      }
      break;
    default:
      break;
  }
}

bool PagedListScreen::OnTap(std::int32_t x, std::int32_t y) {
  if (pageControl_.OnTap(x, y)) return true;
  return list_.OnTap(x, y);
}

void PagedListScreen::PageCommand(int direction) {
  if (direction == kNextPage) {
    NextPage(true);
  } else {
    PreviousPage(true);
  }
}

void PagedListScreen::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("title " + platform::Utf16ToUtf8(titleStrip_.Title()));
  for (std::int32_t i = 0; i < list_.Count(); ++i) {
    const CatalogueRow& row = list_.items[static_cast<std::size_t>(i)];
    lines.push_back("row " + std::to_string(i) + (i == list_.selected ? " selected " : " ") +
                    platform::Utf16ToUtf8(row.info) + " | " + platform::Utf16ToUtf8(row.title));
  }
  if (list_.Count() == 0 && !list_.Hint().empty()) {
    std::string hint = platform::Utf16ToUtf8(list_.Hint());
    for (char& c : hint) {
      if (c == '\n') c = ' ';
    }
    lines.push_back("text " + hint);
  }
  if (pageControl_.itemCount > 0) {
    const std::int32_t count = pageControl_.itemCount;
    lines.push_back("page Page " + std::to_string(pageControl_.currentPage + 1) + " / " +
                    std::to_string(pageControl_.PageCount()) + " | " +
                    (count == 1 ? std::string("1 item") : std::to_string(count) + " items"));
  }
}

}  // namespace screens
