#include "server/LibraryScanner.h"

#include <sys/stat.h>

#include <time.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <utility>
#include <vector>

#include "server/LibraryPaths.h"
#include "server/PlaylistFile.h"
#include "server/SourceFormats.h"
#include "platform/DebugLog.h"

namespace server {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kNanosPerSecond = 1000000000;

std::string PublishDate(const struct stat& info) {
  struct tm utc {};
  gmtime_r(&info.st_mtim.tv_sec, &utc);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
  return text;
}

// A stable id for a playlist that survives a rebuilt index: FNV-1a of its relative path.
std::string PlaylistUid(const std::string& relative) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : relative) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

LibraryScanner::LibraryScanner(CatalogueIndex& index, fs::path root) : index_(index), root_(std::move(root)) {}

LibraryScanner::Kind LibraryScanner::KindOf(const fs::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (SourceFormats::IsAudio(ext)) return Kind::kTrack;
  if (ext == ".m3u" || ext == ".m3u8" || ext == ".pls") return Kind::kPlaylist;
  return Kind::kOther;
}

bool LibraryScanner::IsLibraryFile(const fs::path& path) { return KindOf(path) != Kind::kOther; }

void LibraryScanner::Report(const std::string& line) const {
  if (log_) {
    log_(line);
  } else {
    platform::DebugPrintf("server: %s\n", line.c_str());
  }
}

bool LibraryScanner::Scan(const Progress& progress, ScanStats& stats) {
  std::error_code error;
  const fs::path root = fs::canonical(root_, error);
  if (error || !fs::is_directory(root, error)) return false;
  return Index(root, {Scope{"", true}}, progress, stats);
}

bool LibraryScanner::Rescan(const LibraryChanges& changes, ScanStats& stats) {
  std::error_code error;
  const fs::path root = fs::canonical(root_, error);
  if (error || !fs::is_directory(root, error)) return false;
  if (changes.everything) return Index(root, {Scope{"", true}}, nullptr, stats);
  std::vector<Scope> scopes;
  for (const std::string& tree : changes.trees) scopes.push_back({tree, true});
  for (const std::string& folder : changes.folders) scopes.push_back({folder, false});
  return Index(root, scopes, nullptr, stats);
}

bool LibraryScanner::Collect(const fs::path& root, const Scope& scope, FileList& files) const {
  std::error_code error;
  const fs::path folder = scope.folder.empty() ? root : root / scope.folder;
  if (!fs::is_directory(folder, error)) return true;  // gone: its rows are dropped
  auto add = [&](const fs::path& path) {
    const Kind kind = KindOf(path);
    if (kind == Kind::kOther) return;
    if (!LibraryPaths::IsInside(root, path)) return;  // a link out of the library
    std::error_code ignored;
    if (fs::is_regular_file(path, ignored)) files.emplace_back(path, kind);
  };
  const auto options = fs::directory_options::skip_permission_denied;
  if (scope.recursive) {
    for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end; it.increment(error)) {
      add(it->path());
    }
  } else {
    for (fs::directory_iterator it(folder, options, error), end; !error && it != end; it.increment(error)) {
      add(it->path());
    }
  }
  return !error;
}

bool LibraryScanner::Index(const fs::path& root, const std::vector<Scope>& scopes, const Progress& progress,
                           ScanStats& stats) {
  stats = ScanStats{};
  FileList files;
  for (const Scope& scope : scopes) {
    if (!Collect(root, scope, files)) return false;
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());

  SqliteTransaction transaction(index_.Database());
  const int64_t generation = index_.BeginScan();
  const int64_t total = static_cast<int64_t>(files.size());
  int64_t done = 0;
  bool ok = true;
  for (const auto& [path, kind] : files) {
    if (cancel_ && cancel_->load()) return false;  // the transaction rolls back
    ok = IndexFile(root, path, kind, generation, stats) && ok;
    ++done;
    if (progress) progress(done, total);
  }
  // Rows under the scanned folders that no file stamped are gone from the library.
  for (const Scope& scope : scopes) ok = index_.DropUnseen(scope.folder, scope.recursive, generation) && ok;
  ok = index_.RebuildNames() && ok;
  return transaction.Commit() && ok;
}

bool LibraryScanner::IndexFile(const fs::path& root, const fs::path& path, Kind kind, int64_t generation,
                               ScanStats& stats) {
  const std::string relative = path.lexically_relative(root).generic_string();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return true;
  const int64_t mtime = info.st_mtim.tv_sec * kNanosPerSecond + info.st_mtim.tv_nsec;
  if (settle_.count() > 0) {
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t age = now.tv_sec * kNanosPerSecond + now.tv_nsec - mtime;
    // A modification time in the future (a skewed clock) would never settle: such a file is
    // read as it is rather than retried for ever.
    if (age >= 0 && age < std::chrono::duration_cast<std::chrono::nanoseconds>(settle_).count()) {
      // Still being written: whatever the index holds for it stays until it is complete.
      ++stats.pending;
      return index_.KeepRow(relative, kind == Kind::kPlaylist, generation);
    }
  }
  if (kind == Kind::kPlaylist) {
    PlaylistContents parsed;
    if (!PlaylistFile::Read(root, relative, parsed, [this](const std::string& line) { Report(line); })) return true;
    PlaylistRow row;
    row.path = relative;
    row.title = parsed.title;
    row.featured = *fs::path(relative).begin() == "featured";
    row.publishDate = PublishDate(info);
    row.uid = PlaylistUid(relative);
    ++stats.playlists;
    return index_.UpsertPlaylist(row, parsed.entries, generation);
  }
  if (index_.MarkTrackSeen(relative, info.st_size, mtime, generation)) {
    ++stats.tracks;
    return true;
  }
  const std::pair<int64_t, int64_t> version(info.st_size, mtime);
  const auto known = unreadable_.find(relative);
  if (known != unreadable_.end() && known->second == version) {
    ++stats.failed;  // already reported; read again only once the file changes
    return true;
  }
  TrackTags tags;
  if (!TagReader::Read(path.string(), tags)) {
    ++stats.failed;
    unreadable_[relative] = version;
    Report("cannot read the tags of " + relative + ", left out");
    return true;
  }
  unreadable_.erase(relative);
  if (tags.title.empty()) tags.title = path.stem().string();
  ++stats.tracks;
  ++stats.tagsRead;
  return index_.UpsertTrack(relative, info.st_size, mtime, tags, generation);
}

}  // namespace server
