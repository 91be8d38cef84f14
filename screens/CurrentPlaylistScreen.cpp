#include "screens/CurrentPlaylistScreen.h"

#include "core/WaitCursor.h"
#include "audio/PlayerNotifyTarget.h"
#include "platform/TextCodec.h"
#include "screens/WindowMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

constexpr std::int32_t kRowsPerPage[2] = {3, 5};

}  // namespace

CurrentPlaylistScreen::~CurrentPlaylistScreen() {
  if (playlist_) playlist_->save();
}

void CurrentPlaylistScreen::SetPlayer(audio::StreamPlayer& player, audio::StreamUrlService service,
                                      std::filesystem::path file) {
  playlist_ = std::make_unique<CurrentPlaylist>(player, std::move(service), std::move(file), *this);
}

void CurrentPlaylistScreen::LoadPlaylist() {
  if (!playlist_) return;
  playlist_->load();
  loaded_ = true;
}

std::intptr_t CurrentPlaylistScreen::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  if (!playlist_) return 0;
  switch (message) {
    case msg::kPlayItem:
      playlist_->playSelected();
      break;
    case audio::kMsgTrackEnded:
    case audio::kMsgStoppedAdvance:
      playlist_->next(false);
      break;
    case msg::kPlayerNext:
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

void CurrentPlaylistScreen::AppendScreenText(std::vector<std::string>& lines) const {
  TitledScreen::AppendScreenText(lines);
  if (!playlist_) return;
  const std::int32_t first = playlist_->topIndex;
  for (std::int32_t row = 0; row < rowsPerPage(); ++row) {
    const PlaylistEntry* entry = playlist_->entryAt(static_cast<std::uint32_t>(first + row));
    if (!entry) break;
    std::string line = "row " + std::to_string(row);
    if (first + row == playlist_->selectedIndex) line += " selected";
    if (entry->kind == 0) line += " current";
    line += std::string(" ") + entry->record->title + " | " + entry->record->creator;
    lines.push_back(line);
  }
}

void CurrentPlaylistScreen::beginWaitCursor() { core::BeginWaitCursor(); }

void CurrentPlaylistScreen::endWaitCursor() { core::EndWaitCursor(); }

void CurrentPlaylistScreen::postTrackStarted() {
  if (window) window->Post(kMsgPlaylistTrackStarted);
}

void CurrentPlaylistScreen::redraw() {
  if (!active || !window) return;
  platform::Canvas dc = window->GetDC();
  Paint(dc, false, kLayerAll);
}

std::int32_t CurrentPlaylistScreen::rowsPerPage() const { return kRowsPerPage[ui::Orientation()]; }

}  // namespace screens
