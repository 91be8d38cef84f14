#include "server/LibraryScanner.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

#include "server/LibraryPaths.h"
#include "server/M3uPlaylist.h"

namespace server {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr uintmax_t kMaxPlaylistBytes = 4 * 1024 * 1024;

enum class FileKind { kOther, kTrack, kPlaylist };

FileKind KindOf(const fs::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".mp3") return FileKind::kTrack;
  if (ext == ".m3u" || ext == ".m3u8") return FileKind::kPlaylist;
  return FileKind::kOther;
}

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

bool LibraryScanner::Scan(const Progress& progress, ScanStats& stats) {
  stats = ScanStats{};
  std::error_code error;
  const fs::path root = fs::canonical(root_, error);
  if (error || !fs::is_directory(root, error)) return false;

  std::vector<std::pair<fs::path, FileKind>> files;
  for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    const FileKind kind = KindOf(it->path());
    if (kind == FileKind::kOther) continue;
    if (!LibraryPaths::IsInside(root, it->path())) continue;  // a link out of the library
    if (!fs::is_regular_file(it->path(), error)) continue;
    files.emplace_back(it->path(), kind);
  }
  if (error) return false;

  const int64_t generation = index_.BeginScan();
  const int64_t total = static_cast<int64_t>(files.size());
  int64_t done = 0;
  bool ok = index_.Begin();
  for (const auto& [path, kind] : files) {
    const std::string relative = path.lexically_relative(root).generic_string();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      if (kind == FileKind::kTrack) {
        const int64_t mtime = info.st_mtim.tv_sec * kNanosPerSecond + info.st_mtim.tv_nsec;
        if (index_.MarkTrackSeen(relative, info.st_size, mtime, generation)) {
          ++stats.tracks;
        } else {
          TrackTags tags;
          if (TagReader::Read(path.string(), tags)) {
            if (tags.title.empty()) tags.title = path.stem().string();
            ok = index_.UpsertTrack(relative, info.st_size, mtime, tags, generation) && ok;
            ++stats.tracks;
            ++stats.tagsRead;
          } else {
            ++stats.failed;
          }
        }
      } else if (static_cast<uintmax_t>(info.st_size) <= kMaxPlaylistBytes) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        const M3uPlaylist parsed = M3uPlaylist::Parse(text.str(), relative);
        PlaylistRow row;
        row.path = relative;
        row.title = parsed.title;
        row.featured = *fs::path(relative).begin() == "featured";
        row.publishDate = PublishDate(info);
        row.uid = PlaylistUid(relative);
        ok = index_.UpsertPlaylist(row, parsed.entries, generation) && ok;
        ++stats.playlists;
      }
    }
    ++done;
    if (done % kFilesPerTransaction == 0) ok = index_.Commit() && index_.Begin() && ok;
    if (progress) progress(done, total);
  }
  ok = index_.FinishScan(generation) && ok;
  return index_.Commit() && ok;
}

}  // namespace server
