#include "ui/ShellImageLoader.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/DebugLog.h"
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
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  std::unique_ptr<platform::Surface> surface;
  if (png_image_begin_read_from_stdio(&image, file) && image.width > 0 && image.height > 0 &&
      image.width <= STScreenBuffer::kMaxImageSide && image.height <= STScreenBuffer::kMaxImageSide) {
    image.format = PNG_FORMAT_BGR;
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3;
    std::vector<png_byte> pixels(stride * image.height);
    png_color black{0, 0, 0};
    if (png_image_finish_read(&image, &black, pixels.data(), static_cast<png_int_32>(stride), nullptr)) {
      surface = std::make_unique<platform::Surface>(static_cast<std::int32_t>(image.width),
                                                    static_cast<std::int32_t>(image.height),
                                                    platform::PixelFormat::kXrgb32);
      for (png_uint_32 y = 0; y < image.height; ++y) {
        const png_byte* in = pixels.data() + y * stride;
        auto* out = reinterpret_cast<std::uint32_t*>(surface->Row(static_cast<std::int32_t>(y)));
        for (png_uint_32 x = 0; x < image.width; ++x) {
          out[x] = platform::ReadPixel24(in + x * 3);
        }
      }
      error = 0;
    }
  }
  if (!surface) platform::DebugPrintf("LoadImageFile %s: %s", narrow.c_str(), image.message);
  png_image_free(&image);
  std::fclose(file);
  return surface;
}

}  // namespace ui
