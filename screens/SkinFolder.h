#pragma once

#include <string>
#include <vector>

namespace screens {

// The player skins in a skins folder: each thumbnail "<name>_tn.png" that is a regular file
// and whose two pictures "portrait/p_<name>.png" and "landscape/l_<name>.png" exist beside
// it. Returns the thumbnails' file names (with "_tn.png"), sorted by name so that the menu
// keeps one order on every file system; `folder` ends with a separator. A missing or
// unreadable folder gives none.
std::vector<std::u16string> FindSkins(const std::string& folder);

// The suffix of a skin thumbnail's file name.
inline constexpr char16_t kSkinThumbnailSuffix[] = u"_tn.png";

}  // namespace screens
