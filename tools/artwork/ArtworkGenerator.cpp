#include "tools/artwork/ArtworkGenerator.h"

#include "tools/artwork/ArtCanvas.h"
#include "tools/artwork/ContactSheet.h"
#include "tools/artwork/IconArt.h"
#include "tools/artwork/PictureRecipe.h"
#include "tools/artwork/Mockup.h"

#include <system_error>
#include <vector>

namespace artwork {
namespace {

constexpr int kScales[] = {1, 2};

// Theme colours (0xRRGGBB) and skins of the mock-up screens written beside the contact sheets.
struct MockupTheme {
  const char* name;
  uint32_t rgb;
  const char* skin;
};
constexpr MockupTheme kMockupThemes[] = {
    {"blue", 0x008ED2, "Sunburst"},
    {"black", 0x000000, "Aurora"},
    {"yellow", 0xFEDE00, "Carbon"},
};

}  // namespace

const char* FolderForScale(int scale) { return scale == 2 ? "vga" : "qvga"; }

ImageList AllImages() {
  ImageList images;
  AddListArt(&images);
  AddTabArt(&images);
  AddPopupArt(&images);
  AddMiniPlayerArt(&images);
  AddPlayerArt(&images);
  AddPlayerButtonArt(&images);
  AddSkinArt(&images);
  AddMiscArt(&images);
  return images;
}

bool GenerateArtwork(const GeneratorOptions& options, std::string& error) {
  Fonts fonts;
  if (!fonts.Load(options.fontDir, error)) return false;
  const ImageList images = AllImages();
  for (int scale : kScales) {
    const std::filesystem::path root = options.outputDir / FolderForScale(scale);
    std::vector<ArtCanvas> drawn;
    drawn.reserve(images.size());
    for (const PictureRecipe& image : images) {
      const std::filesystem::path path = root / image.path;
      std::error_code ec;
      std::filesystem::create_directories(path.parent_path(), ec);
      if (ec) {
        error = "cannot create " + path.parent_path().string() + ": " + ec.message();
        return false;
      }
      ArtCanvas canvas(image.width, image.height, scale, image.opaque);
      const ArtContext art{canvas.Context(), scale, &fonts};
      cairo_save(art.cr);
      image.draw(art);
      cairo_restore(art.cr);
      if (!canvas.Save(path, error)) return false;
      drawn.push_back(std::move(canvas));
    }
    if (!options.contactSheetDir.empty()) {
      std::vector<SheetEntry> entries;
      for (size_t i = 0; i < images.size(); ++i) {
        entries.push_back({images[i].path, drawn[i].Surface()});
      }
      const std::filesystem::path sheet =
          options.contactSheetDir / (std::string("contact_sheet_") + FolderForScale(scale) + ".png");
      if (!WriteContactSheet(sheet, entries, fonts, scale, error)) return false;
      const PictureLookup lookup = [&](const std::string& name) -> cairo_surface_t* {
        for (size_t i = 0; i < images.size(); ++i) {
          if (images[i].path == name) return drawn[i].Surface();
        }
        return nullptr;
      };
      for (const MockupTheme& theme : kMockupThemes) {
        const std::filesystem::path mockup =
            options.contactSheetDir /
            (std::string("mockup_") + FolderForScale(scale) + "_" + theme.name + ".png");
        if (!WriteMockup(mockup, lookup, fonts, scale, theme.rgb, theme.skin, error)) return false;
      }
    }
  }
  return WriteAppIcons(options.outputDir / "icons", error);
}

}  // namespace artwork
