#pragma once

#include <filesystem>
#include <string>

namespace artwork {

// The application icon for the desktop: the splash's record and note on a rounded blue tile,
// `pixels` (a multiple of 64) wide and high, written as a PNG file.
bool WriteAppIcon(const std::filesystem::path& path, int pixels, std::string& error);

// Writes the icon at every size the desktop entry offers into
// `root`/hicolor/<N>x<N>/apps/vornalo.png.
bool WriteAppIcons(const std::filesystem::path& root, std::string& error);

}  // namespace artwork
