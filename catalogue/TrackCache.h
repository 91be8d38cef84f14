#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "catalogue/ItemRecords.h"
#include "platform/UniqueFd.h"

namespace catalogue {

// The bytes of played and prefetched tracks, kept on disk so that a track plays again without
// the network. Each track has a data file (`<name>.data`, its bytes from the first on) and a
// record (`<name>.rec`, replaced atomically): the key, the track's length, how many bytes of
// the data file are good, their CRC-32, and whether the track is complete. Only the record
// says what the data file holds:
// - a complete track's record is written after its data is on disk; on every lookup the data
//   file's size and checksum are compared with it, so a cut or overwritten file is noticed,
//   deleted and fetched again, never played as if whole;
// - a download in progress writes a record every `kCheckpointBytes` (data synced first); after
//   a crash the data file is cut back to the last recorded good length, and the rest is asked
//   for with a Range request the next time.
// Bounded by size: after each write the least recently used tracks go first. The recency is
// the record's modification time, set on every use.
// Thread-safe; the writers of different tracks run in parallel (one track, one writer).
class TrackCache {
 public:
  static constexpr std::uint64_t kDefaultMegabytes = 1024;
  static constexpr std::uint64_t kBytesPerMegabyte = 1024 * 1024;
  // A download's record is brought up to date after this many new bytes.
  static constexpr std::uint64_t kCheckpointBytes = 256 * 1024;
  // Keys longer than this are not cached (a key is a server address and an id or location).
  static constexpr std::size_t kMaxKeyLength = 2048;

  // `maxBytes` 0 turns the cache off: every lookup misses and nothing is written. `server`
  // names the catalogue server in the keys (see keyOf).
  TrackCache(std::filesystem::path directory, std::uint64_t maxBytes, std::string server = {});
  ~TrackCache();
  TrackCache(const TrackCache&) = delete;
  TrackCache& operator=(const TrackCache&) = delete;

  // $XDG_CACHE_HOME/vornalo/tracks (or ~/.cache/vornalo/tracks).
  static std::filesystem::path DefaultDirectory();
  // The key of a track of the catalogue at `server`: its mp3_url_id, or its location when it
  // has none. Empty when the track has neither.
  static std::string KeyOf(std::string_view server, const AudioCueRecord& record);
  // The key of a track of this cache's server.
  std::string keyOf(const AudioCueRecord& record) const { return KeyOf(server_, record); }

  // The stream addresses of tracks as they were last looked up, so that a stream opened on an
  // address finds its track's key: `remember` when the address is known, `keyFor` when the
  // stream opens it. At most kRememberedAddresses are kept (the oldest go).
  static constexpr std::size_t kRememberedAddresses = 4096;
  void remember(const std::string& url, const std::string& key);
  std::string keyFor(const std::string& url);

  bool enabled() const { return maxBytes_ > 0; }
  std::uint64_t maxBytes() const { return maxBytes_; }
  const std::filesystem::path& directory() const { return directory_; }

  // What the cache holds of one track.
  struct Held {
    std::uint64_t bytes = 0;          // good bytes from the start of the track
    std::uint64_t contentLength = 0;  // the whole track's length; 0 when unknown
    bool complete = false;
    std::uint32_t crc = 0;            // of the `bytes` good bytes
  };
  // Checks what is held for `key` against its record and marks it used. A data file shorter
  // than its record, or whose checksum differs, is deleted with its record (nothing held);
  // bytes of a partial download past its last record are cut off.
  Held lookup(const std::string& key);
  // The data file of `key` opened for reading (invalid when none). Reading goes on even when
  // the track is evicted meanwhile.
  platform::UniqueFd openData(const std::string& key);

  // Writes one track's bytes as they arrive.
  class Writer {
   public:
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    // Appends the next bytes; false once the track is no longer kept (a write failed, or it
    // outgrew the whole cache), after which appends do nothing.
    bool append(const void* data, std::size_t size);
    // The download ended. When the bytes reach the content length the track is recorded as
    // complete; otherwise (or with no known length) what came stays as a partial download.
    bool finish();
    std::uint64_t bytes() const { return bytes_; }

   private:
    friend class TrackCache;
    Writer(TrackCache& cache, std::string key, std::string name, platform::UniqueFd fd, Held start);
    void checkpoint(bool complete);
    void abandon();

    TrackCache& cache_;
    const std::string key_;
    const std::string name_;
    platform::UniqueFd fd_;
    std::uint64_t contentLength_;
    std::uint64_t bytes_;
    std::uint64_t recorded_;
    std::uint32_t crc_;
    bool failed_ = false;
    bool finished_ = false;
  };
  // Begins writing `key` at byte `held.bytes` (0 for a new download, or what `lookup` held of
  // a partial one, whose Range reply continues it) for a track of `contentLength` bytes (0
  // unknown). Null when the cache is off, the track is being written already, or its file
  // cannot be made.
  std::unique_ptr<Writer> write(const std::string& key, const Held& held, std::uint64_t contentLength);

  // Bytes of every data file now (for tests and the bound).
  std::uint64_t totalBytes();
  // Keeps the cache within its bound, least recently used first, sparing tracks being
  // written. Runs after each write.
  void evict();

 private:
  struct Record {
    std::string key;
    Held held;
  };
  static std::string NameOf(const std::string& key);
  std::filesystem::path dataPath(const std::string& name) const;
  std::filesystem::path recordPath(const std::string& name) const;
  bool readRecord(const std::string& name, Record& record) const;
  bool writeRecord(const std::string& name, const Record& record);
  void removeTrack(const std::string& name);
  void markUsed(const std::string& name);
  void releaseWriter(const std::string& name);

  const std::filesystem::path directory_;
  const std::uint64_t maxBytes_;
  const std::string server_;
  // Guards `writing_`, and makes a lookup, the start of a write and an eviction each one step
  // against the others.
  std::mutex lock_;
  std::set<std::string> writing_;  // names of tracks with a live writer
  // Guards `keys_` and `keyOrder_`: stream address to track key, oldest first.
  std::mutex keysLock_;
  std::map<std::string, std::string> keys_;
  std::deque<std::string> keyOrder_;
  // Guards `lastStamp_`, the last recency stamp given (ns), so that stamps never tie.
  std::mutex stampLock_;
  std::int64_t lastStamp_ = 0;
};

}  // namespace catalogue
