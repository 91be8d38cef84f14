#include "screens/SkinFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "ui/ResourcePaths.h"

namespace screens {

std::vector<std::u16string> FindSkins(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<std::u16string> found;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  const std::string suffix = ui::NarrowPath(kSkinThumbnailSuffix);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    // Folders, devices, sockets and dangling links are not thumbnails.
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const std::string fileName = it->path().filename().string();
    const std::size_t at = fileName.find(suffix);
    if (at == std::string::npos) continue;
    const std::string name = fileName.substr(0, at);
    std::error_code existsError;
    if (!fs::exists(folder + "portrait/p_" + name + ".png", existsError) ||
        !fs::exists(folder + "landscape/l_" + name + ".png", existsError)) {
      continue;
    }
    found.push_back(ui::WidenPath(fileName));
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace screens
