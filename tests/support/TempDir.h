#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace testsupport {

// A fresh temporary directory, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole contents of a file ("" when it cannot be read).
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& contents);
// How often `what` occurs in `text`, occurrences not overlapping.
std::size_t CountOf(const std::string& text, const std::string& what);

}  // namespace testsupport
