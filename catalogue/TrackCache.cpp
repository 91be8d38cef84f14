#include "catalogue/TrackCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/DebugLog.h"

namespace catalogue {
namespace {

constexpr const char* kDataSuffix = ".data";
constexpr const char* kRecordSuffix = ".rec";
constexpr const char* kRecordMagic = "vornalo track cache 1";
// Bytes read at a time while checking a data file.
constexpr std::size_t kReadBlock = 64 * 1024;

std::uint32_t Crc(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const Bytef*>(data);
  while (size > 0) {
    const auto part = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
    crc = static_cast<std::uint32_t>(crc32(crc, bytes, part));
    bytes += part;
    size -= part;
  }
  return crc;
}

// The CRC-32 of the first `bytes` bytes of `fd`; false when the file is shorter.
bool CrcOfPrefix(int fd, std::uint64_t bytes, std::uint32_t& crc) {
  std::vector<unsigned char> block(kReadBlock);
  crc = static_cast<std::uint32_t>(crc32(0, Z_NULL, 0));
  std::uint64_t offset = 0;
  while (offset < bytes) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), bytes - offset));
    const ssize_t got = ::pread(fd, block.data(), want, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    crc = Crc(crc, block.data(), static_cast<std::size_t>(got));
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

bool PwriteAll(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t done = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    size -= static_cast<std::size_t>(done);
    offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

std::int64_t NowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool EndsWith(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() > n && text.compare(text.size() - n, n, suffix) == 0;
}

}  // namespace

TrackCache::TrackCache(std::filesystem::path directory, std::uint64_t maxBytes, std::string server)
    : directory_(std::move(directory)), maxBytes_(maxBytes), server_(std::move(server)) {
  if (!enabled()) return;
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  if (error) platform::DebugPrintf("track cache %s: %s", directory_.c_str(), error.message().c_str());
}

TrackCache::~TrackCache() = default;

std::filesystem::path TrackCache::DefaultDirectory() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".cache";
  } else {
    std::error_code error;
    base = std::filesystem::temp_directory_path(error);
  }
  return base / "vornalo" / "tracks";
}

std::string TrackCache::KeyOf(std::string_view server, const AudioCueRecord& record) {
  const std::string_view id = SlotText(record.mp3_url_id);
  const std::string_view location = SlotText(record.location);
  std::string key(server);
  if (!id.empty()) {
    key.append(" id ").append(id);
  } else if (!location.empty()) {
    key.append(" location ").append(location);
  } else {
    return {};
  }
  return key;
}

void TrackCache::remember(const std::string& url, const std::string& key) {
  if (!enabled() || url.empty() || key.empty()) return;
  std::lock_guard<std::mutex> guard(keysLock_);
  auto [at, added] = keys_.insert_or_assign(url, key);
  (void)at;
  if (!added) return;
  keyOrder_.push_back(url);
  if (keyOrder_.size() > kRememberedAddresses) {
    keys_.erase(keyOrder_.front());
    keyOrder_.pop_front();
  }
}

std::string TrackCache::keyFor(const std::string& url) {
  std::lock_guard<std::mutex> guard(keysLock_);
  const auto found = keys_.find(url);
  return found == keys_.end() ? std::string() : found->second;
}

std::string TrackCache::NameOf(const std::string& key) {
  // FNV-1a; the record holds the key itself, so two keys of one name only miss each other.
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : key) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return name;
}

std::filesystem::path TrackCache::dataPath(const std::string& name) const { return directory_ / (name + kDataSuffix); }

std::filesystem::path TrackCache::recordPath(const std::string& name) const { return directory_ / (name + kRecordSuffix); }

bool TrackCache::readRecord(const std::string& name, Record& record) const {
  std::ifstream in(recordPath(name));
  std::string line;
  if (!in || !std::getline(in, line) || line != kRecordMagic) return false;
  bool haveKey = false;
  while (std::getline(in, line)) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return false;
    const std::string field = line.substr(0, space);
    const std::string value = line.substr(space + 1);
    char* end = nullptr;
    if (field == "key") {
      record.key = value;
      haveKey = true;
      continue;
    }
    const unsigned long long number = std::strtoull(value.c_str(), &end, field == "crc32" ? 16 : 10);
    if (end == value.c_str() || *end != '\0') return false;
    if (field == "length") record.held.contentLength = number;
    else if (field == "bytes") record.held.bytes = number;
    else if (field == "crc32") record.held.crc = static_cast<std::uint32_t>(number);
    else if (field == "complete") record.held.complete = number == 1;
  }
  return haveKey;
}

bool TrackCache::writeRecord(const std::string& name, const Record& record) {
  std::ostringstream text;
  char crc[9];
  std::snprintf(crc, sizeof crc, "%08x", record.held.crc);
  text << kRecordMagic << "\nlength " << record.held.contentLength << "\nbytes " << record.held.bytes << "\ncrc32 "
       << crc << "\ncomplete " << (record.held.complete ? 1 : 0) << "\nkey " << record.key << "\n";
  const std::string contents = text.str();
  // Replaced by a rename, so a reader sees the old record or the new one. Not synced: after
  // a crash a record that lost its data, or data that lost its record, fails the checksum.
  const std::filesystem::path target = recordPath(name);
  const std::filesystem::path temporary = directory_ / (name + ".rec.new");
  platform::UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!fd || !PwriteAll(fd.Get(), contents.data(), contents.size(), 0)) {
    ::unlink(temporary.c_str());
    return false;
  }
  fd.Reset();
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  markUsed(name);
  return true;
}

void TrackCache::removeTrack(const std::string& name) {
  ::unlink(recordPath(name).c_str());
  ::unlink(dataPath(name).c_str());
}

void TrackCache::markUsed(const std::string& name) {
  // Recency is the record's modification time; each use gets a later stamp than the last
  // one given, so tracks used within one clock tick keep their order.
  std::int64_t stamp = NowNanoseconds();
  {
    std::lock_guard<std::mutex> guard(stampLock_);
    stamp = std::max(stamp, lastStamp_ + 1);
    lastStamp_ = stamp;
  }
  timespec times[2];
  times[0].tv_sec = static_cast<time_t>(stamp / 1000000000);
  times[0].tv_nsec = static_cast<long>(stamp % 1000000000);
  times[1] = times[0];
  ::utimensat(AT_FDCWD, recordPath(name).c_str(), times, 0);
}

TrackCache::Held TrackCache::lookup(const std::string& key) {
  if (!enabled() || key.empty()) return {};
  std::lock_guard<std::mutex> guard(lock_);
  const std::string name = NameOf(key);
  Record record;
  if (!readRecord(name, record)) return {};
  if (record.key != key) return {};  // another key of the same name: a miss
  platform::UniqueFd fd(::open(dataPath(name).c_str(), O_RDWR | O_CLOEXEC));
  struct stat status {};
  if (!fd || ::fstat(fd.Get(), &status) != 0) {
    removeTrack(name);
    return {};
  }
  const auto size = static_cast<std::uint64_t>(status.st_size);
  const Held& held = record.held;
  std::uint32_t crc = 0;
  const bool shapeOk = held.complete ? size == held.bytes && held.bytes == held.contentLength : size >= held.bytes;
  if (!shapeOk || !CrcOfPrefix(fd.Get(), held.bytes, crc) || crc != held.crc) {
    platform::DebugPrintf("track cache: %s holds %llu bytes that do not match its record (%llu, %s); fetched again",
                          name.c_str(), static_cast<unsigned long long>(size),
                          static_cast<unsigned long long>(held.bytes), held.complete ? "complete" : "partial");
    if (writing_.count(name) == 0) removeTrack(name);
    return {};
  }
  // Bytes past the last record of an interrupted download are not known to be good.
  if (!held.complete && size > held.bytes && writing_.count(name) == 0) {
    if (::ftruncate(fd.Get(), static_cast<off_t>(held.bytes)) != 0) {
      removeTrack(name);
      return {};
    }
  }
  markUsed(name);
  return held;
}

platform::UniqueFd TrackCache::openData(const std::string& key) {
  if (!enabled() || key.empty()) return {};
  return platform::UniqueFd(::open(dataPath(NameOf(key)).c_str(), O_RDONLY | O_CLOEXEC));
}

std::unique_ptr<TrackCache::Writer> TrackCache::write(const std::string& key, const Held& held,
                                                       std::uint64_t contentLength) {
  if (!enabled() || key.empty() || key.size() > kMaxKeyLength) return nullptr;
  if (key.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) return nullptr;
  if (contentLength > maxBytes_) return nullptr;  // would never fit
  std::lock_guard<std::mutex> guard(lock_);
  const std::string name = NameOf(key);
  if (writing_.count(name) != 0) return nullptr;
  Held start = held;
  // A continuation only of the same track: a length that changed starts it again.
  if (start.complete || (start.bytes > 0 && start.contentLength != contentLength)) start = Held{};
  platform::UniqueFd fd(::open(dataPath(name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  if (!fd || ::ftruncate(fd.Get(), static_cast<off_t>(start.bytes)) != 0) {
    platform::DebugPrintf("track cache: %s cannot be written", dataPath(name).c_str());
    return nullptr;
  }
  if (start.bytes == 0) start.crc = static_cast<std::uint32_t>(crc32(0, Z_NULL, 0));
  start.contentLength = contentLength;
  writing_.insert(name);
  std::unique_ptr<Writer> writer(new Writer(*this, key, name, std::move(fd), start));
  writer->checkpoint(false);
  return writer;
}

void TrackCache::releaseWriter(const std::string& name) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    writing_.erase(name);
  }
  evict();
}

std::uint64_t TrackCache::totalBytes() {
  std::uint64_t total = 0;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(directory_, error)) {
    if (EndsWith(item.path().filename().string(), kDataSuffix)) total += item.file_size(error);
  }
  return total;
}

void TrackCache::evict() {
  if (!enabled()) return;
  std::lock_guard<std::mutex> guard(lock_);
  struct Track {
    std::string name;
    std::int64_t used;
    std::uint64_t bytes;
  };
  std::vector<Track> tracks;
  std::uint64_t total = 0;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(directory_, error)) {
    const std::string file = item.path().filename().string();
    if (!EndsWith(file, kDataSuffix)) continue;
    const std::string name = file.substr(0, file.size() - std::strlen(kDataSuffix));
    struct stat data {}, record {};
    if (::stat(item.path().c_str(), &data) != 0) continue;
    if (::stat(recordPath(name).c_str(), &record) != 0) {
      // Data without a record says nothing about itself.
      if (writing_.count(name) == 0) ::unlink(item.path().c_str());
      continue;
    }
    const auto bytes = static_cast<std::uint64_t>(data.st_size);
    total += bytes;
    tracks.push_back({name, std::int64_t(record.st_mtim.tv_sec) * 1000000000 + record.st_mtim.tv_nsec, bytes});
  }
  if (total <= maxBytes_) return;
  std::sort(tracks.begin(), tracks.end(), [](const Track& a, const Track& b) { return a.used < b.used; });
  for (const Track& track : tracks) {
    if (total <= maxBytes_) break;
    if (writing_.count(track.name) != 0) continue;
    platform::DebugPrintf("track cache: %s evicted (%llu bytes)", track.name.c_str(),
                          static_cast<unsigned long long>(track.bytes));
    removeTrack(track.name);
    total -= track.bytes;
  }
}

// ---- Writer ----

TrackCache::Writer::Writer(TrackCache& cache, std::string key, std::string name, platform::UniqueFd fd, Held start)
    : cache_(cache),
      key_(std::move(key)),
      name_(std::move(name)),
      fd_(std::move(fd)),
      contentLength_(start.contentLength),
      bytes_(start.bytes),
      recorded_(start.bytes),
      crc_(start.crc) {}

TrackCache::Writer::~Writer() {
  if (!failed_ && !finished_) checkpoint(false);  // kept as a partial download
  fd_.Reset();
  cache_.releaseWriter(name_);
}

bool TrackCache::Writer::append(const void* data, std::size_t size) {
  if (failed_ || finished_) return false;
  if (size == 0) return true;
  if (bytes_ + size > cache_.maxBytes() || (contentLength_ > 0 && bytes_ + size > contentLength_) ||
      !PwriteAll(fd_.Get(), data, size, bytes_)) {
    abandon();
    return false;
  }
  crc_ = Crc(crc_, data, size);
  bytes_ += size;
  if (bytes_ - recorded_ >= kCheckpointBytes) {
    checkpoint(false);
    cache_.evict();
  }
  return !failed_;
}

bool TrackCache::Writer::finish() {
  if (failed_ || finished_) return false;
  finished_ = true;
  const bool complete = contentLength_ > 0 && bytes_ == contentLength_;
  checkpoint(complete);
  return complete;
}

void TrackCache::Writer::checkpoint(bool complete) {
  if (failed_) return;
  Record record{key_, Held{bytes_, contentLength_, complete, crc_}};
  if (!cache_.writeRecord(name_, record)) {
    abandon();
    return;
  }
  recorded_ = bytes_;
}

void TrackCache::Writer::abandon() {
  if (failed_) return;
  failed_ = true;
  platform::DebugPrintf("track cache: %s not kept", name_.c_str());
  cache_.removeTrack(name_);
}

}  // namespace catalogue
