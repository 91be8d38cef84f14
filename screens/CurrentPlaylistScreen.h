#pragma once

#include <filesystem>
#include <memory>

#include "audio/TrackStart.h"
#include "playlist/CurrentPlaylist.h"
#include "playlist/PlaylistHost.h"
#include "screens/TitledScreen.h"

namespace screens {

// Tab 2: the Current Playlist, which it owns and plays. Today it shows its title and the rows
// of the current page as text; the drawn list, its keys and its item popup come with the
// playlist screen itself. The playlist file is written on the way out.
class CurrentPlaylistScreen : public TitledScreen, public PlaylistHost {
 public:
  CurrentPlaylistScreen() : TitledScreen(u"Current Playlist") {}
  ~CurrentPlaylistScreen() override;

  // Gives the screen the player its playlist plays through; makes the playlist over its file.
  void SetPlayer(audio::StreamPlayer& player, audio::StreamUrlService service, std::filesystem::path file);
  // Reads the playlist file; from then on every change (and the way out) writes it.
  void LoadPlaylist();
  // Null before SetPlayer.
  CurrentPlaylist* Playlist() { return playlist_.get(); }

  // 1928 plays the selected entry; 12025 and 12026 move on to the next; 1931 and 1932 play
  // the next and the previous entry.
  std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void AppendScreenText(std::vector<std::string>& lines) const override;

  void beginWaitCursor() override;
  void endWaitCursor() override;
  void postTrackStarted() override;
  void redraw() override;
  std::int32_t rowsPerPage() const override;
  // Only once the playlist was read: a start that stopped before must not write an empty
  // playlist over the file.
  bool isLaidOut() const override { return loaded_; }
  void resetPaging() override {}

 private:
  std::unique_ptr<CurrentPlaylist> playlist_;
  bool loaded_ = false;
};

}  // namespace screens
