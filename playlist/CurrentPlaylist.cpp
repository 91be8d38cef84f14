#include "playlist/CurrentPlaylist.h"

#include <cstring>
#include <memory>

#include "audio/StreamPlayer.h"
#include "catalogue/CueListTracksRequest.h"
#include "platform/DebugLog.h"
#include "platform/TextCodec.h"
#include "playlist/PlaylistFile.h"

namespace playlist {

CurrentPlaylist::CurrentPlaylist(audio::StreamPlayer& player, audio::StreamUrlService service,
                                 std::filesystem::path file, PlaylistHost& host)
    : player_(player), service_(std::move(service)), file_(std::move(file)), host_(host) {}

CurrentPlaylist::~CurrentPlaylist() = default;

void CurrentPlaylist::load() {
  auto contents = playlistfile::Load(file_);
  if (!contents) return;
  title = std::move(contents->title);
  for (auto& record : contents->records) {
    entries_.push_back(PlaylistEntry{std::move(record), catalogue::kAudioCue});
  }
}

void CurrentPlaylist::save() {
  if (!host_.isLaidOut()) return;
  std::vector<const catalogue::AudioCueRecord*> records;
  records.reserve(entries_.size());
  for (const auto& entry : entries_) records.push_back(entry.record.get());
  std::string error;
  if (!playlistfile::Save(file_, title, records, error)) {
    platform::DebugPrintf("playlist file %s not written: %s", file_.c_str(), error.c_str());
  }
}

void CurrentPlaylist::append(const catalogue::AudioCueRecord& record) {
  auto copy = std::make_unique<catalogue::AudioCueRecord>();
  std::memcpy(copy.get(), &record, sizeof record);
  if (entries_.empty()) {
    selectedIndex = 0;
    topIndex = 0;
  }
  entries_.push_back(PlaylistEntry{std::move(copy), catalogue::kAudioCue});
}

void CurrentPlaylist::addTrack(const catalogue::ItemRef& item) {
  if (item.kind() == catalogue::kAudioCue && item.audioCue()) {
    addTrack(*item.audioCue());
    return;
  }
  // An item that is not a track adds nothing, but an empty playlist is named all the same.
  if (entries_.empty()) title = kCustomTitle;
  save();
}

void CurrentPlaylist::addTrack(const catalogue::AudioCueRecord& record) {
  if (entries_.empty()) title = kCustomTitle;
  append(record);
  updateNextTrack();
  save();
}

void CurrentPlaylist::addCueList(const catalogue::CueListRecord& cueList) {
  host_.beginWaitCursor();
  catalogue::CueListTracksRequest request(service_.baseUrl, service_.identity, service_.httpOptions);
  request.buildUrl(cueList.playlist_id);
  request.run(0);
  for (std::size_t i = 0; i < request.resultCount(); ++i) append(*request.itemAt(i));
  title = platform::Utf8ToUtf16(catalogue::SlotText(cueList.title));
  host_.endWaitCursor();
  updateNextTrack();
  save();
}

void CurrentPlaylist::clear() {
  entries_.clear();
  failedStarts_ = 0;
  host_.resetPaging();
  topIndex = 0;
  selectedIndex = 0;
  pageNumber = 0;
  currentIndex = 0;
  title.clear();
  updateNextTrack();
  save();
}

bool CurrentPlaylist::removeSelected() {
  if (entries_.empty()) return false;
  const auto s = static_cast<std::uint32_t>(selectedIndex);
  if (s >= entries_.size()) return false;
  bool removedCurrent = false;
  if (currentIndex > s) {
    --currentIndex;
  } else if (currentIndex == s) {
    currentIndex = 0;
    removedCurrent = true;
  }
  entries_.erase(entries_.begin() + s);
  if (s > 0 && s == count()) {
    selectedIndex = static_cast<std::int32_t>(s) - 1;
    if (selectedIndex < topIndex) {
      pageNumber = pageNumber > 0 ? pageNumber - 1 : 0;
      topIndex = std::max(0, topIndex - host_.rowsPerPage());
    }
  }
  if (entries_.empty()) title.clear();
  updateNextTrack();
  save();
  return removedCurrent;
}

void CurrentPlaylist::markCurrent(bool current) {
  if (currentIndex < entries_.size()) entries_[currentIndex].kind = current ? 0u : std::uint32_t{catalogue::kAudioCue};
}

void CurrentPlaylist::startCurrent(const std::function<void()>& stopStep) {
  // Playback may have joined on to this entry already (fetched ahead as the next one): it is
  // taken as started, not fetched and started again.
  if (!player_.adoptNextTrack(entries_[currentIndex].record.get())) {
    audio::startTrack(player_, service_, *entries_[currentIndex].record, stopStep);
  }
  host_.postTrackStarted();
  markCurrent(true);
  host_.redraw();
  updateNextTrack();
}

void CurrentPlaylist::updateNextTrack() {
  if (entries_.empty()) {
    player_.clearNextTrack();
    return;
  }
  const std::uint32_t index = currentIndex + 1 >= count() ? 0 : currentIndex + 1;
  auto record = std::make_shared<const catalogue::AudioCueRecord>(*entries_[index].record);
  audio::NextTrack next;
  next.token = entries_[index].record.get();
  next.info = audio::makeTrackInfo(*record);
  next.resolveUrl = [service = service_, record](catalogue::HttpClient& client) {
    return audio::trackUrl(client, service, *record);
  };
  player_.setNextTrack(next);
}

void CurrentPlaylist::playCurrent(bool stopFirst) {
  if (currentIndex >= entries_.size()) return;
  host_.beginWaitCursor();
  startCurrent([this, stopFirst] {
    if (stopFirst && player_.state() != audio::StreamPlayer::Stopped) player_.stop(1);
  });
}

void CurrentPlaylist::playSelected() {
  if (entries_.empty() || selectedIndex < 0 ||
      static_cast<std::uint32_t>(selectedIndex) >= entries_.size()) {
    return;
  }
  host_.beginWaitCursor();
  failedStarts_ = 0;
  markCurrent(false);
  currentIndex = static_cast<std::uint32_t>(selectedIndex);
  startCurrent([this] {
    if (player_.state() == audio::StreamPlayer::Stopped) return;
    // Returns once the playback thread has ended; its teardown leaves the state Stopped.
    player_.stop(1);
  });
}

void CurrentPlaylist::next(bool stopFirst) {
  // A choice of the user's begins a new count of failed starts.
  failedStarts_ = 0;
  advance(stopFirst);
}

void CurrentPlaylist::advance(bool stopFirst) {
  if (entries_.empty()) return;
  markCurrent(false);
  currentIndex = currentIndex + 1 >= count() ? 0 : currentIndex + 1;
  markCurrent(true);
  playCurrent(stopFirst);
}

void CurrentPlaylist::previous(bool stopFirst) {
  if (entries_.empty()) return;
  failedStarts_ = 0;
  markCurrent(false);
  if (currentIndex > 0) --currentIndex;
  markCurrent(true);
  playCurrent(stopFirst);
}

void CurrentPlaylist::trackStarted() {
  startedSinceEnd_ = true;
  failedStarts_ = 0;
}

CurrentPlaylist::EndOutcome CurrentPlaylist::trackEnded() {
  if (entries_.empty()) return EndOutcome::kEmpty;
  if (startedSinceEnd_) {
    startedSinceEnd_ = false;
  } else {
    ++failedStarts_;
    platform::DebugPrintf("entry %u failed to start (%u in a row of %u)", currentIndex, failedStarts_, count());
  }
  // Every entry in turn could not start: going round again would only fail again, as fast as
  // the lookups fail (a server gone away answers at once).
  if (failedStarts_ >= count()) {
    failedStarts_ = 0;
    host_.endWaitCursor();
    return EndOutcome::kStoppedAllFailed;
  }
  advance(true);
  return EndOutcome::kMovedOn;
}

const PlaylistEntry* CurrentPlaylist::entryAt(std::uint32_t index) const {
  return index < entries_.size() ? &entries_[index] : nullptr;
}

}  // namespace playlist
