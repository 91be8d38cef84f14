#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/TrackStart.h"
#include "catalogue/ItemRecords.h"
#include "catalogue/ItemRef.h"
#include "playlist/PlaylistHost.h"

namespace audio {
class StreamPlayer;
}

namespace playlist {

// One entry of the Current Playlist: its own copy of an AudioCue record. `kind` is 1, or 0
// while the entry is marked as the current one.
struct PlaylistEntry {
  std::unique_ptr<catalogue::AudioCueRecord> record;
  std::uint32_t kind = catalogue::kAudioCue;
};

// The user's queue of AudioCues: filled from search results and CueLists, played in order
// with wrap-around by the shared player, and written to its file after every change so that
// it survives restarts. Every operation runs on the user-interface thread.
class CurrentPlaylist {
 public:
  static constexpr const char16_t* kCustomTitle = u"(Custom Playlist)";

  CurrentPlaylist(audio::StreamPlayer& player, audio::StreamUrlService service,
                  std::filesystem::path file, PlaylistHost& host);
  ~CurrentPlaylist();
  CurrentPlaylist(const CurrentPlaylist&) = delete;
  CurrentPlaylist& operator=(const CurrentPlaylist&) = delete;

  // Reads the file (a missing file leaves the playlist empty). Does not save.
  void load();
  // Writes the file, once the screen is laid out. A failed write keeps the previous file and
  // is not reported to the user (a debug line says why); the next change writes it again.
  void save();

  // Appends a copy of an AudioCue item (other kinds add nothing); any add onto an empty
  // playlist names it "(Custom Playlist)" and saves.
  void addTrack(const catalogue::ItemRef& item);
  void addTrack(const catalogue::AudioCueRecord& record);
  // Appends every track of the CueList, fetched from the catalogue, and takes its title.
  void addCueList(const catalogue::CueListRecord& cueList);
  void clear();
  // Removes the selected entry; true when it was the current one (the caller then stops the
  // player for good).
  bool removeSelected();

  void playCurrent(bool stopFirst);
  void playSelected();
  void next(bool stopFirst);
  void previous(bool stopFirst);

  // What the end of a track led to.
  enum class EndOutcome { kMovedOn, kStoppedAllFailed, kEmpty };
  // The player started a track (12024).
  void trackStarted();
  // The player ended a track (12025). A track that never started counts as a failed start;
  // when every entry has failed to start in a row, nothing more is started (the caller tells
  // the user), else the next entry starts as `next` does.
  EndOutcome trackEnded();
  // Tracks that failed to start in a row since the last one that started.
  std::uint32_t failedStartsInARow() const { return failedStarts_; }

  const PlaylistEntry* entryAt(std::uint32_t index) const;
  const std::filesystem::path& file() const { return file_; }

  std::u16string title;
  std::uint32_t currentIndex = 0;
  std::int32_t selectedIndex = 0;
  std::int32_t topIndex = 0;
  std::int32_t pageNumber = 0;
  // The number of entries.
  std::uint32_t count() const { return static_cast<std::uint32_t>(entries_.size()); }

 private:
  void append(const catalogue::AudioCueRecord& record);
  void markCurrent(bool current);
  void startCurrent(const std::function<void()>& stopStep);
  void advance(bool stopFirst);
  // Tells the player which entry follows the current one (wrapping around), or none.
  void updateNextTrack();

  audio::StreamPlayer& player_;
  const audio::StreamUrlService service_;
  const std::filesystem::path file_;
  PlaylistHost& host_;
  std::vector<PlaylistEntry> entries_;
  // Set when the player reported a start and not yet the end of that track.
  bool startedSinceEnd_ = false;
  std::uint32_t failedStarts_ = 0;
};

}  // namespace playlist
