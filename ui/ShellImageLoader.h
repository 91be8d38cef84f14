#pragma once

#include <memory>

#include "platform/gfx/Surface.h"

namespace ui {

// Loads an image file (PNG, UTF-16 path as WidenPath makes it) as an opaque 32-bit bitmap of
// the same pixel size; transparent pixels are composited over black. Null on failure, with
// `error` set to the errno of a failed open (ENOENT for a missing file), ENAMETOOLONG for a
// null path (a resource path that did not fit) or EINVAL for a file that does not decode.
// Pass the error to ImageLoadResult for 1001 / 1002.
std::unique_ptr<platform::Surface> LoadImageFile(const char16_t* path, int& error);

}  // namespace ui
