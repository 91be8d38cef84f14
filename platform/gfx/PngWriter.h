#pragma once

#include <string>

#include "platform/gfx/Surface.h"

namespace platform {

// Writes the surface as an 8-bit RGB PNG file. False, with a reason in `error`, on failure.
bool WritePngFile(const Surface& surface, const std::string& path, std::string& error);

}  // namespace platform
