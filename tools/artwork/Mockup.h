#pragma once

#include "tools/artwork/Fonts.h"

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace artwork {

// Finds a drawn picture by its resource path ("tab_resources/tab_middle.png"); null if none.
using PictureLookup = std::function<cairo_surface_t*(const std::string&)>;

// Writes a picture of the client's screens put together from the artwork the way the client
// draws them (theme colour first, pictures blended over it, sample texts), for people to
// judge the pictures in place: a list screen, an item popup over it and the player, in
// portrait and landscape, for one theme colour (0xRRGGBB).
bool WriteMockup(const std::filesystem::path& path, const PictureLookup& pictures,
                 const Fonts& fonts, int scale, uint32_t theme, const std::string& skin,
                 std::string& error);

}  // namespace artwork
