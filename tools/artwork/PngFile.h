#pragma once

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/png/PngFile.h"

namespace artwork {

// Writes a Cairo image surface as a PNG file. An ARGB32 surface becomes an 8-bit RGBA PNG
// (colours un-premultiplied), an RGB24 surface an 8-bit RGB PNG without any transparency.
// No bKGD, gAMA or time chunk is written: the client's loader would composite a bKGD colour
// into the pixels and drop the alpha channel, and a time stamp would make two runs differ.
// Returns false (with a reason in *error) when the file cannot be written.
bool WritePng(const std::filesystem::path& path, cairo_surface_t* surface, std::string& error);

using platform::PngImage;

// Reads a PNG file. Returns false when it cannot be opened or decoded.
bool ReadPng(const std::filesystem::path& path, PngImage* image);

}  // namespace artwork
