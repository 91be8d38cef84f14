#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/UniqueFd.h"

namespace server {

// Keeps file access inside the library folder.
class LibraryPaths {
 public:
  // True when path, with every symbolic link resolved, lies inside root (itself canonical).
  static bool IsInside(const std::filesystem::path& root, const std::filesystem::path& path);

  // Opens the regular file root/relative for reading when it resolves inside root; size gets
  // its length. An invalid fd otherwise. relative comes from the index, never from a request.
  static platform::UniqueFd OpenInside(const std::filesystem::path& root, const std::string& relative,
                                       int64_t& size);
};

}  // namespace server
