#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// Room of the path buffers, in characters (wide) or bytes (narrow), terminator included.
inline constexpr std::size_t kMaxResourcePath = 260;

// Turns relative resource names such as "\\list_resources\\Normal_CueList_Icon.png" into full
// paths under the resource base directory: the executable's directory followed by "vga" at
// scale factor 2 and "qvga" otherwise, or an override directory (--resources) as it stands.
// The base is worked out on the first call of either form and kept. Each form returns its own
// result buffer, overwritten by its next call; a path that would not fit the buffer (260
// characters, or 260 bytes of UTF-8, terminator included) gives null and a debug line. The
// wide form keeps the directory's bytes even where they are not UTF-8 (see WidenPath).
class ResourcePaths {
 public:
  ResourcePaths(std::string executableDirectory, std::uint32_t scaleFactor);

  // Replaces the base directory (before the first call, or to move resources later).
  void SetOverrideDirectory(std::string directory);
  const std::string& BaseDirectory();

  const char16_t* GetResourcePathW(const char16_t* relativeName);
  const char* GetResourcePathA(const char16_t* relativeName);

 private:
  bool BuildPath(const char16_t* relativeName, std::string& out);

  std::string executableDirectory_;
  std::uint32_t scaleFactor_;
  std::string override_;
  std::string base_;
  bool baseBuilt_ = false;
  char16_t wideResult_[kMaxResourcePath] = {};
  char narrowResult_[kMaxResourcePath] = {};
};

// A file system path (any bytes) as UTF-16 and back without loss: valid UTF-8 widens as
// usual, and each byte that is not part of a valid sequence becomes the unpaired surrogate
// U+DC00 + byte, which NarrowPath turns back into that byte.
std::u16string WidenPath(std::string_view path);
std::string NarrowPath(std::u16string_view path);

// The directory of the running executable ("" when it cannot be read).
std::string ExecutableDirectory();

// Whether the program runs installed: no qvga/ beside the executable, but one in the shared
// folder of its prefix (<prefix>/bin/vornalo with <prefix>/share/vornalo/qvga).
bool IsInstalled();
// Where the program's own files are (qvga/, vga/, the demo library): the executable's folder
// in the build tree, <prefix>/share/vornalo when installed.
std::string ProgramDataDirectory();

// The process's resource paths. Start-up configures them once it knows the scale factor (and
// any --resources directory) and before any image loads; UI thread only.
void ConfigureResourcePaths(std::uint32_t scaleFactor, const std::string& overrideDirectory);
const char16_t* GetResourcePathW(const char16_t* relativeName);
const char* GetResourcePathA(const char16_t* relativeName);
// The directory the process's resource paths start from.
const std::string& ResourceBaseDirectory();

}  // namespace ui
