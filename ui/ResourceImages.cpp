#include "ui/ResourceImages.h"

#include <cerrno>

#include "platform/TextCodec.h"
#include "ui/ResourcePaths.h"
#include "ui/ShellImageLoader.h"

namespace ui {

int LoadResourcePng(STScreenBuffer& image, const char16_t* relativeName) {
  const char* path = relativeName ? GetResourcePathA(relativeName) : nullptr;
  if (!path) return ImageLoadResult(false, EINVAL);
  const bool loaded = image.LoadPng(path);
  return ImageLoadResult(loaded, image.LoadError());
}

int LoadResourcePng(STScreenBuffer& image, const char* relativeName) {
  if (!relativeName) return ImageLoadResult(false, EINVAL);
  return LoadResourcePng(image, platform::Utf8ToUtf16(relativeName).c_str());
}

int LoadResourceBitmap(std::unique_ptr<platform::Surface>& bitmap, const char16_t* relativeName) {
  const char16_t* path = relativeName ? GetResourcePathW(relativeName) : nullptr;
  if (!path) return ImageLoadResult(false, EINVAL);
  int error = 0;
  bitmap = LoadImageFile(path, error);
  return ImageLoadResult(bitmap != nullptr, error);
}

}  // namespace ui
