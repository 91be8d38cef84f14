#pragma once

#include "tools/artwork/Fonts.h"

#include <cairo.h>

#include <filesystem>
#include <string>
#include <vector>

namespace artwork {

struct SheetEntry {
  std::string name;
  cairo_surface_t* surface;  // borrowed
};

// Writes one PNG that shows every picture on a neutral checkerboard with its name, packed in
// rows, for people to look at. One-pixel strips are shown stretched so they can be seen.
bool WriteContactSheet(const std::filesystem::path& path, const std::vector<SheetEntry>& entries,
                       const Fonts& fonts, int scale, std::string& error);

}  // namespace artwork
