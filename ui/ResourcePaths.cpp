#include "ui/ResourcePaths.h"

#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/TextCodec.h"

namespace ui {
namespace {

constexpr const char* kVgaFolder = "vga";
constexpr const char* kQvgaFolder = "qvga";

}  // namespace

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
  std::u16string wide = platform::Utf8ToUtf16(path);
  if (wide.size() + 1 > kMaxResourcePath) return nullptr;
  std::memset(wideResult_, 0, sizeof wideResult_);
  std::memcpy(wideResult_, wide.data(), wide.size() * sizeof(char16_t));
  return wideResult_;
}

const char* ResourcePaths::GetResourcePathA(const char16_t* relativeName) {
  std::string path;
  if (!BuildPath(relativeName, path)) return nullptr;
  if (platform::Utf8ToUtf16(path).size() + 1 > kMaxResourcePath || path.size() + 1 > kMaxResourcePath) {
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

// The process's paths; made by ConfigureResourcePaths or on first use at scale 1.
std::unique_ptr<ResourcePaths>& ProcessPaths() {
  static std::unique_ptr<ResourcePaths> paths;
  if (!paths) paths = std::make_unique<ResourcePaths>(ExecutableDirectory(), 1);
  return paths;
}

}  // namespace

void ConfigureResourcePaths(std::uint32_t scaleFactor, const std::string& overrideDirectory) {
  ProcessPaths() = std::make_unique<ResourcePaths>(ExecutableDirectory(), scaleFactor);
  if (!overrideDirectory.empty()) ProcessPaths()->SetOverrideDirectory(overrideDirectory);
}

const char16_t* GetResourcePathW(const char16_t* relativeName) {
  return ProcessPaths()->GetResourcePathW(relativeName);
}

const char* GetResourcePathA(const char16_t* relativeName) {
  return ProcessPaths()->GetResourcePathA(relativeName);
}

}  // namespace ui
