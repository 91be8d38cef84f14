#pragma once

#include <memory>

#include "platform/gfx/Surface.h"
#include "ui/STScreenBuffer.h"

namespace ui {

// Loading of the controls' images by relative resource name ("\\tab_resources\\x.png"),
// resolved against the process's resource paths. Each returns 1, 1001 (the file does not
// exist) or 1002 (any other failure, a path too long included).

// A PNG with transparency, drawn with DrawAlpha.
int LoadResourcePng(STScreenBuffer& image, const char16_t* relativeName);
// The same with a narrow (UTF-8) name.
int LoadResourcePng(STScreenBuffer& image, const char* relativeName);
// An opaque bitmap through the shell image loader (strips and other stretched pictures).
int LoadResourceBitmap(std::unique_ptr<platform::Surface>& bitmap, const char16_t* relativeName);

}  // namespace ui
