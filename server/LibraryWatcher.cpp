#include "server/LibraryWatcher.h"

#include <sys/inotify.h>

#include <system_error>

#include "server/LibraryScanner.h"

namespace server {
namespace {

namespace fs = std::filesystem;

// A file's content is complete at IN_CLOSE_WRITE; IN_MODIFY only keeps the quiet period from
// ending while a copy is still writing.
constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                             IN_ATTRIB | IN_DELETE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr size_t kEventBuffer = 64 * 1024;

}  // namespace

bool LibraryWatcher::Start(const fs::path& root) {
  fd_ = platform::UniqueFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!fd_) return false;
  root_ = root;
  folders_.clear();
  WatchTree(root);
  return !folders_.empty();
}

void LibraryWatcher::WatchFolder(const fs::path& folder) {
  const int wd = inotify_add_watch(fd_.Get(), folder.c_str(), kEvents);
  if (wd >= 0) folders_[wd] = folder;
}

void LibraryWatcher::WatchTree(const fs::path& folder) {
  WatchFolder(folder);
  std::error_code error;
  // Links are not followed: a linked folder inside the library is watched where it really is,
  // if that is inside the library at all.
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) WatchFolder(it->path());
  }
}

std::string LibraryWatcher::Relative(const fs::path& path) const {
  const std::string relative = path.lexically_relative(root_).generic_string();
  return relative == "." ? std::string() : relative;
}

bool LibraryWatcher::Drain(LibraryChanges& changes) {
  bool relevant = false;
  alignas(inotify_event) char buffer[kEventBuffer];
  for (;;) {
    const ssize_t got = ::read(fd_.Get(), buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        changes.everything = relevant = true;
        continue;
      }
      if (event->mask & IN_IGNORED) {
        folders_.erase(event->wd);
        continue;
      }
      const auto folder = folders_.find(event->wd);
      if (folder == folders_.end() || event->len == 0) continue;
      const fs::path path = folder->second / event->name;
      if (event->mask & IN_ISDIR) {
        // A folder made, moved in or out, or removed: everything below it changes at once.
        if (event->mask & (IN_CREATE | IN_MOVED_TO)) WatchTree(path);
        changes.trees.insert(Relative(path));
        relevant = true;
      } else if (LibraryScanner::IsLibraryFile(path)) {
        changes.folders.insert(Relative(folder->second));
        relevant = true;
      }
    }
  }
  return relevant;
}

}  // namespace server
