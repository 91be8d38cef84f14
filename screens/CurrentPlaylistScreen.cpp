#include "screens/CurrentPlaylistScreen.h"

#include "core/WaitCursor.h"
#include "audio/PlayerNotifyTarget.h"
#include "platform/TextCodec.h"
#include "screens/ItemPopupContent.h"
#include "screens/StoreSearch.h"
#include "screens/WindowMessages.h"
#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr std::int32_t kRowsPerPage[2] = {3, 5};
// QVGA rectangles (landscape, portrait).
constexpr platform::Rect kTitleStripRects[2] = {{0, 20, 320, 67}, {0, 20, 240, 67}};
constexpr platform::Rect kPageControlRects[2] = {{4, 47, 320, 67}, {4, 47, 239, 67}};
constexpr platform::Rect kListRects[2] = {{0, 67, 320, 166}, {0, 67, 240, 232}};
// Shown once when every entry of the playlist failed to start in a row and playback stopped.
constexpr const char16_t* kAllFailedCaption = u"Playback Stopped";
constexpr const char16_t* kAllFailedText =
    u"None of the tracks in the Current Playlist could be played, so playback has stopped. The "
    u"catalogue server may be out of reach: check the connection, then choose a track to play.";
constexpr const char* kPageButton = "\\tab_resources\\page_button_normal.png";
constexpr const char* kPageButtonPressed = "\\tab_resources\\page_button_clickdown.png";

}  // namespace

CurrentPlaylistScreen::CurrentPlaylistScreen() = default;

CurrentPlaylistScreen::~CurrentPlaylistScreen() {
  if (playlist_) playlist_->save();
}

int CurrentPlaylistScreen::Create(platform::Window& owner) {
  ui::Screen::Create(owner);
  platform::Rect rects[2];
  ui::ScaleRects(kTitleStripRects, rects);
  int result = titleStrip_.Create(rects, owner, Cookie());
  if (result == 1) {
    ui::ScaleRects(kListRects, rects);
    result = list_.Create(rects, owner, Cookie());
  }
  if (result == 1) {
    ui::ScaleRects(kPageControlRects, rects);
    result = pageControl_.Create(rects, owner, Cookie());
    if (result == 1) result = pageControl_.SetButtonImages(kPageButton, kPageButtonPressed);
  }
  if (result != 1) return result;
  laidOut_ = true;
  return 1;
}

void CurrentPlaylistScreen::SetPlayer(audio::StreamPlayer& player, audio::StreamUrlService service,
                                      std::filesystem::path file) {
  playlist_ = std::make_unique<playlist::CurrentPlaylist>(player, std::move(service), std::move(file), *this);
  list_.SetPlaylist(playlist_.get());
}

void CurrentPlaylistScreen::LoadPlaylist() {
  if (!playlist_) return;
  playlist_->load();
  loaded_ = true;
}

void CurrentPlaylistScreen::SyncControls() {
  if (!playlist_) return;
  list_.selected = playlist_->selectedIndex;
  list_.firstRow = playlist_->topIndex;
  pageControl_.itemCount = static_cast<std::int32_t>(playlist_->count());
  pageControl_.currentPage = playlist_->pageNumber;
  if (titleStrip_.Title() != playlist_->title) titleStrip_.SetTitle(playlist_->title);
}

void CurrentPlaylistScreen::Paint(platform::Canvas& dc, bool, std::uint32_t layers) {
  if (!active) return;
  SyncControls();
  if (layers & kLayerTitle) titleStrip_.Draw(dc);
  if (layers & kLayerSecondary) pageControl_.Draw(dc);
  if (layers & kLayerMain) list_.Draw(dc);
  // Drawing brings a selection past the last entry back to it.
  if (playlist_) playlist_->selectedIndex = list_.selected;
}

std::intptr_t CurrentPlaylistScreen::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (message == msg::kLayoutChanged) {
    Invalidate();
    return 0;
  }
  if (!playlist_) return 0;
  switch (message) {
    case ui::msg::kItemActivated:
      if (window) window->Post(msg::kOpenItemPopup);
      break;
    case ui::msg::kNextPageByKey:
    case ui::msg::kNextPageButton:
      NextPage(message == ui::msg::kNextPageButton);
      break;
    case ui::msg::kPreviousPageByKey:
    case ui::msg::kPreviousPageButton:
      PreviousPage(message == ui::msg::kPreviousPageButton);
      break;
    case msg::kPurchase:
      Purchase();
      break;
    case msg::kPlayItem:
      playlist_->playSelected();
      break;
    case audio::kMsgPlaybackStarted:
      playlist_->trackStarted();
      break;
    case audio::kMsgTrackEnded:
      if (playlist_->trackEnded() == playlist::CurrentPlaylist::EndOutcome::kStoppedAllFailed) TellAllFailed();
      break;
    case msg::kPlayerNext:
    case audio::kMsgStoppedAdvance:
      playlist_->next(true);
      break;
    case msg::kPlayerPrevious:
      playlist_->previous(true);
      break;
    default:
      break;
  }
  return 0;
}

void CurrentPlaylistScreen::TellAllFailed() {
  redraw();
  if (window) window->ShowMessageBox(kAllFailedCaption, kAllFailedText, platform::MessageBoxButtons::kOk);
}

void CurrentPlaylistScreen::NextPage(bool byButton) {
  playlist::CurrentPlaylist& p = *playlist_;
  const std::int32_t rows = rowsPerPage();
  const std::int32_t offset = p.selectedIndex - p.topIndex;
  if (p.topIndex + rows < static_cast<std::int32_t>(p.count())) {
    p.topIndex += rows;
    p.selectedIndex = p.topIndex;
  }
  SyncControls();
  pageControl_.FlashButton(ui::PageControl::kFlashNext);
  p.pageNumber = p.topIndex / rows;
  // The page button keeps the selection's row on the page; drawing brings it back to the last
  // entry on a short last page.
  if (byButton) p.selectedIndex = p.topIndex + offset;
  redraw();
}

void CurrentPlaylistScreen::PreviousPage(bool byButton) {
  playlist::CurrentPlaylist& p = *playlist_;
  if (p.pageNumber == 0) return;
  const std::int32_t rows = rowsPerPage();
  const std::int32_t offset = p.selectedIndex - p.topIndex;
  if (p.topIndex != 0) p.topIndex = std::max(0, p.topIndex - rows);
  SyncControls();
  pageControl_.FlashButton(ui::PageControl::kFlashPrevious);
  p.pageNumber = p.topIndex / rows;
  // By key the selection already sits on the last row of the previous page.
  if (byButton) p.selectedIndex = p.topIndex + offset;
  redraw();
}

void CurrentPlaylistScreen::Purchase() {
  const playlist::PlaylistEntry* entry = playlist_->entryAt(static_cast<std::uint32_t>(playlist_->selectedIndex));
  if (entry) OpenStoreSearch(catalogue::SlotText(entry->record->creator), catalogue::SlotText(entry->record->title));
}

void CurrentPlaylistScreen::OnKey(std::uint32_t virtualKey, std::intptr_t) {
  SyncControls();
  switch (virtualKey) {
    case platform::vk::kReturn:
      list_.OnKey(virtualKey);
      return;
    case platform::vk::kLeft:
      if (window) window->Post(msg::kPreviousTab, Cookie());
      return;
    case platform::vk::kRight:
      if (window) window->Post(msg::kNextTab, Cookie());
      return;
    case platform::vk::kUp:
    case platform::vk::kDown: {
      if (!list_.OnKey(virtualKey) || !playlist_) return;
      playlist::CurrentPlaylist& p = *playlist_;
      p.selectedIndex = list_.selected;
      if (p.selectedIndex < p.topIndex) {
        if (window) window->Post(ui::msg::kPreviousPageByKey, Cookie());
      } else if (p.selectedIndex >= p.topIndex + rowsPerPage()) {
        if (window) window->Post(ui::msg::kNextPageByKey, Cookie());
      } else {
        list_.Draw();
      }
      return;
    }
    default:
      return;
  }
}

bool CurrentPlaylistScreen::OnTap(std::int32_t x, std::int32_t y) {
  SyncControls();
  if (pageControl_.OnTap(x, y)) return true;
  const bool consumed = list_.OnTap(x, y);
  if (playlist_) playlist_->selectedIndex = list_.selected;
  return consumed;
}

void CurrentPlaylistScreen::Show() {
  ui::Screen::Show();
  SyncControls();
  titleStrip_.Show();
  pageControl_.Show();
  list_.Show();
}

void CurrentPlaylistScreen::Hide() {
  titleStrip_.Hide();
  pageControl_.Hide();
  list_.Hide();
  ui::Screen::Hide();
}

void CurrentPlaylistScreen::FillItemPopup(ui::Screen& itemPopup) {
  auto* content = dynamic_cast<ItemPopupContent*>(&itemPopup);
  const playlist::PlaylistEntry* entry =
      playlist_ ? playlist_->entryAt(static_cast<std::uint32_t>(playlist_->selectedIndex)) : nullptr;
  if (!content || !entry) return;
  content->SetItem(catalogue::ItemRef(std::make_unique<catalogue::AudioCueRecord>(*entry->record)));
  content->ClearEntries();
  content->AddEntry("Play", msg::kPlayItem);
  content->AddEntry("Remove Item From Playlist", msg::kRemovePlaylistItem);
  content->AddEntry("Purchase (Launches Browser)...", msg::kPurchase);
}

void CurrentPlaylistScreen::Invalidate() {
  if (!playlist_) return;
  const std::int32_t rows = rowsPerPage();
  playlist_->topIndex = playlist_->selectedIndex / rows * rows;
  playlist_->pageNumber = playlist_->topIndex / rows;
}

void CurrentPlaylistScreen::PageCommand(int direction) {
  if (!playlist_) return;
  if (direction == kNextPage) NextPage(true);
  else PreviousPage(true);
}

void CurrentPlaylistScreen::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("title " + platform::Utf16ToUtf8(playlist_ ? playlist_->title : std::u16string()));
  const std::int32_t count = playlist_ ? static_cast<std::int32_t>(playlist_->count()) : 0;
  if (count == 0) {
    lines.push_back("text " + platform::Utf16ToUtf8(PlaylistListView::kEmptyText[ui::Orientation()]));
  }
  const std::int32_t first = count ? playlist_->topIndex : 0;
  const std::int32_t selected = std::min(playlist_ ? playlist_->selectedIndex : 0, count - 1);
  for (std::int32_t row = 0; row < rowsPerPage() && first + row < count; ++row) {
    const playlist::PlaylistEntry* entry = playlist_->entryAt(static_cast<std::uint32_t>(first + row));
    std::string line = "row " + std::to_string(row);
    if (first + row == selected) line += " selected";
    if (entry->kind == 0) line += " current";
    line += " " + platform::Utf16ToUtf8(PlaylistListView::CreatorAlbumLine(entry->record->creator, entry->record->album)) +
            " | " + entry->record->title;
    lines.push_back(line);
  }
  if (count > 0) {
    lines.push_back("page " + platform::Utf16ToUtf8(pageControl_.PageText().Text()) + " | " +
                    platform::Utf16ToUtf8(pageControl_.CountText().Text()));
  }
}

void CurrentPlaylistScreen::beginWaitCursor() { core::BeginWaitCursor(); }

void CurrentPlaylistScreen::endWaitCursor() { core::EndWaitCursor(); }

void CurrentPlaylistScreen::postTrackStarted() {
  if (window) window->Post(msg::kPlaylistTrackStarted);
}

void CurrentPlaylistScreen::redraw() {
  if (!active || !window) return;
  platform::Canvas dc = window->GetDC();
  Paint(dc, false, kLayerAll);
}

std::int32_t CurrentPlaylistScreen::rowsPerPage() const { return kRowsPerPage[ui::Orientation()]; }

void CurrentPlaylistScreen::resetPaging() { pageControl_.currentPage = 0; }

}  // namespace screens
