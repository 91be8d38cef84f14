#include "ui/ResourcePaths.h"

#include <filesystem>

#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/DebugLog.h"
#include "platform/TextCodec.h"

namespace ui {
namespace {

constexpr const char* kVgaFolder = "vga";
constexpr const char* kQvgaFolder = "qvga";
constexpr char16_t kEscapeBase = 0xDC00;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point of the valid UTF-8 sequence at path[i], and its length; 0 when the bytes
// there are not one (truncated, overlong, a surrogate or beyond U+10FFFF).
std::size_t DecodeUtf8At(std::string_view path, std::size_t i, char32_t& c) {
  const auto lead = static_cast<unsigned char>(path[i]);
  std::size_t length = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, least = 0x80, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, least = 0x800, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, least = 0x10000, c = lead & 0x07;
  } else {
    return 0;
  }
  if (path.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(path[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = c << 6 | (next & 0x3F);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::u16string WidenPath(std::string_view path) {
  std::u16string wide;
  wide.reserve(path.size());
  for (std::size_t i = 0; i < path.size();) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8At(path, i, c);
    if (length == 0) {
      wide += static_cast<char16_t>(kEscapeBase | static_cast<unsigned char>(path[i]));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<char16_t>(c);
    }
    i += length;
  }
  return wide;
}

std::string NarrowPath(std::u16string_view path) {
  std::string narrow;
  narrow.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t unit = path[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
      AppendUtf8(narrow, 0x10000 + (static_cast<char32_t>(unit - 0xD800) << 10) + (path[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      narrow += static_cast<char>(unit & 0xFF);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(narrow, 0xFFFD);
    } else {
      AppendUtf8(narrow, unit);
    }
  }
  return narrow;
}

ResourcePaths::ResourcePaths(std::string executableDirectory, std::uint32_t scaleFactor)
    : executableDirectory_(std::move(executableDirectory)), scaleFactor_(scaleFactor) {}

void ResourcePaths::SetOverrideDirectory(std::string directory) {
  override_ = std::move(directory);
  baseBuilt_ = false;
}

const std::string& ResourcePaths::BaseDirectory() {
  if (!baseBuilt_) {
    if (!override_.empty()) {
      base_ = override_;
    } else {
      base_ = executableDirectory_ + "/" + (scaleFactor_ == 2 ? kVgaFolder : kQvgaFolder);
    }
    while (base_.size() > 1 && base_.back() == '/') base_.pop_back();
    baseBuilt_ = true;
  }
  return base_;
}

bool ResourcePaths::BuildPath(const char16_t* relativeName, std::string& out) {
  if (!relativeName) return false;
  std::string relative = platform::Utf16ToUtf8(relativeName);
  // The names use the phone's separators; here they are slashes, and the join adds one.
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  std::size_t start = relative.find_first_not_of('/');
  out = BaseDirectory() + "/" + (start == std::string::npos ? std::string() : relative.substr(start));
  return true;
}

const char16_t* ResourcePaths::GetResourcePathW(const char16_t* relativeName) {
  std::string path;
  if (!BuildPath(relativeName, path)) return nullptr;
  std::u16string wide = WidenPath(path);
  if (wide.size() + 1 > kMaxResourcePath) {
    platform::DebugPrintf("resource path too long (%zu characters, room for %zu): %s", wide.size(),
                          kMaxResourcePath - 1, path.c_str());
    return nullptr;
  }
  std::memset(wideResult_, 0, sizeof wideResult_);
  std::memcpy(wideResult_, wide.data(), wide.size() * sizeof(char16_t));
  return wideResult_;
}

const char* ResourcePaths::GetResourcePathA(const char16_t* relativeName) {
  std::string path;
  if (!BuildPath(relativeName, path)) return nullptr;
  if (WidenPath(path).size() + 1 > kMaxResourcePath || path.size() + 1 > kMaxResourcePath) {
    platform::DebugPrintf("resource path too long (%zu bytes, room for %zu): %s", path.size(),
                          kMaxResourcePath - 1, path.c_str());
    return nullptr;
  }
  std::memset(narrowResult_, 0, sizeof narrowResult_);
  std::memcpy(narrowResult_, path.data(), path.size());
  return narrowResult_;
}

std::string ExecutableDirectory() {
  char buffer[4096];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  std::string path(buffer, static_cast<std::size_t>(n));
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

namespace {

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

std::string InstalledDataDirectory() { return ExecutableDirectory() + "/" + VORNALO_SHARE_FROM_BIN; }

}  // namespace

bool IsInstalled() {
  return !IsDirectory(ExecutableDirectory() + "/qvga") && IsDirectory(InstalledDataDirectory() + "/qvga");
}

std::string ProgramDataDirectory() { return IsInstalled() ? InstalledDataDirectory() : ExecutableDirectory(); }

namespace {

// The process's paths; made by ConfigureResourcePaths or on first use at scale 1.
std::unique_ptr<ResourcePaths>& ProcessPaths() {
  static std::unique_ptr<ResourcePaths> paths;
  if (!paths) paths = std::make_unique<ResourcePaths>(ProgramDataDirectory(), 1);
  return paths;
}

}  // namespace

void ConfigureResourcePaths(std::uint32_t scaleFactor, const std::string& overrideDirectory) {
  ProcessPaths() = std::make_unique<ResourcePaths>(ProgramDataDirectory(), scaleFactor);
  if (!overrideDirectory.empty()) ProcessPaths()->SetOverrideDirectory(overrideDirectory);
}

const char16_t* GetResourcePathW(const char16_t* relativeName) {
  return ProcessPaths()->GetResourcePathW(relativeName);
}

const char* GetResourcePathA(const char16_t* relativeName) {
  return ProcessPaths()->GetResourcePathA(relativeName);
}

const std::string& ResourceBaseDirectory() { return ProcessPaths()->BaseDirectory(); }

}  // namespace ui
