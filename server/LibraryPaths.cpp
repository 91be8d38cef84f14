#include "server/LibraryPaths.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <system_error>

namespace server {

bool LibraryPaths::IsInside(const std::filesystem::path& root, const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  if (error) return false;
  auto r = root.begin();
  auto p = resolved.begin();
  for (; r != root.end(); ++r, ++p) {
    if (p == resolved.end() || *p != *r) return false;
  }
  return true;
}

platform::UniqueFd LibraryPaths::OpenInside(const std::filesystem::path& root, const std::string& relative,
                                            int64_t& size) {
  size = 0;
  const std::filesystem::path path = root / relative;
  if (relative.empty() || !IsInside(root, path)) return platform::UniqueFd();
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (!fd || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return platform::UniqueFd();
  size = info.st_size;
  return fd;
}

}  // namespace server
