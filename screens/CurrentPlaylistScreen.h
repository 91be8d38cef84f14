#pragma once

#include <filesystem>
#include <memory>

#include "audio/TrackStart.h"
#include "playlist/CurrentPlaylist.h"
#include "playlist/PlaylistHost.h"
#include "screens/PlaylistListView.h"
#include "ui/PageControl.h"
#include "ui/Screen.h"
#include "ui/ScreenText.h"
#include "ui/TitleStrip.h"

namespace screens {

// Tab 2: the Current Playlist, which it owns and plays, as a paged list under a title strip
// with the playlist's title and a page control. It runs the playlist's play operations for
// the item popup's "Play", the player's end-of-track messages and the player screen's next
// and previous buttons. The playlist file is written on the way out.
class CurrentPlaylistScreen : public ui::Screen, public ui::ScreenText, public playlist::PlaylistHost {
 public:
  CurrentPlaylistScreen();
  ~CurrentPlaylistScreen() override;

  // Creates the title strip, the list and the page control: 1, 1001 or 1002. From then on
  // the playlist is saved after every change.
  int Create(platform::Window& owner) override;
  // Gives the screen the player its playlist plays through; makes the playlist over its file.
  void SetPlayer(audio::StreamPlayer& player, audio::StreamUrlService service, std::filesystem::path file);
  // Reads the playlist file; from then on every change (and the way out) writes it.
  void LoadPlaylist();
  // Null before SetPlayer.
  playlist::CurrentPlaylist* Playlist() { return playlist_.get(); }

  // While active, by layers: 4 the title strip, 2 the page control, 1 the list.
  void Paint(platform::Canvas& dc, bool force, std::uint32_t layers) override;
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  // Enter activates the selected row; Left and Right switch tabs; Up and Down move the
  // selection and turn the page when it leaves the rows shown.
  void OnKey(std::uint32_t virtualKey, std::intptr_t keyData) override;
  // The page control, then the list.
  bool OnTap(std::int32_t x, std::int32_t y) override;
  void Show() override;
  void Hide() override;
  // The selected entry with "Play", "Remove Item From Playlist" and "Purchase".
  void FillItemPopup(ui::Screen& itemPopup) override;
  // After a rotation: the page that holds the selection.
  void Invalidate() override;
  void PageCommand(int direction) override;
  void AppendScreenText(std::vector<std::string>& lines) const override;

  // PlaylistHost.
  void beginWaitCursor() override;
  void endWaitCursor() override;
  void postTrackStarted() override;
  void redraw() override;
  std::int32_t rowsPerPage() const override;
  // Once laid out and once the playlist was read: a start that stopped before must not
  // write an empty playlist over the file.
  bool isLaidOut() const override { return laidOut_ && loaded_; }
  void resetPaging() override;

 private:
  static constexpr std::uint32_t kLayerTitle = 4;

  // The controls take the playlist's selection, first row, page, count and title.
  void SyncControls();
  void NextPage(bool byButton);
  void PreviousPage(bool byButton);
  void Purchase();
  // Tells the user that playback stopped because no entry could start.
  void TellAllFailed();
  std::uintptr_t Cookie() const { return reinterpret_cast<std::uintptr_t>(static_cast<const ui::Screen*>(this)); }

  std::unique_ptr<playlist::CurrentPlaylist> playlist_;
  ui::TitleStrip titleStrip_;
  PlaylistListView list_;
  ui::PageControl pageControl_;
  bool laidOut_ = false;
  bool loaded_ = false;
};

}  // namespace screens
