#include "ui/ShellImageLoader.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/DebugLog.h"
#include "platform/png/PngFile.h"
#include "ui/ResourcePaths.h"
#include "ui/STScreenBuffer.h"

namespace ui {

std::unique_ptr<platform::Surface> LoadImageFile(const char16_t* path, int& error) {
  // No path: the resource path did not fit its buffer, which counts as a missing file.
  error = ENAMETOOLONG;
  if (!path) return nullptr;
  error = EINVAL;
  const std::string narrow = NarrowPath(path);
  // Open once ourselves, so a missing file reports its own errno.
  std::FILE* file = std::fopen(narrow.c_str(), "rb");
  if (!file) {
    error = errno;
    return nullptr;
  }
  platform::PngBgrImage image;
  std::string message;
  std::unique_ptr<platform::Surface> surface;
  if (platform::ReadPngOverBlack(file, STScreenBuffer::kMaxImageSide, &image, message)) {
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    surface = std::make_unique<platform::Surface>(static_cast<std::int32_t>(image.width),
                                                  static_cast<std::int32_t>(image.height),
                                                  platform::PixelFormat::kXrgb32);
    for (std::uint32_t y = 0; y < image.height; ++y) {
      const std::uint8_t* in = image.bgr.data() + y * stride;
      auto* out = reinterpret_cast<std::uint32_t*>(surface->Row(static_cast<std::int32_t>(y)));
      for (std::uint32_t x = 0; x < image.width; ++x) {
        out[x] = platform::ReadPixel24(in + x * 3);
      }
    }
    error = 0;
  }
  if (!surface) platform::DebugPrintf("LoadImageFile %s: %s", narrow.c_str(), message.c_str());
  std::fclose(file);
  return surface;
}

}  // namespace ui
