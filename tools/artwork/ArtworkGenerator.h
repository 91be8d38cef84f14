#pragma once

#include <filesystem>
#include <string>

namespace artwork {

struct GeneratorOptions {
  // qvga/ and vga/ are made (or refreshed) under this folder.
  std::filesystem::path outputDir;
  // When not empty, contact_sheet_qvga.png and contact_sheet_vga.png are written here.
  std::filesystem::path contactSheetDir;
  std::string fontDir;
};

// The resource folder name for a scale factor: "qvga" for 1, "vga" for 2.
const char* FolderForScale(int scale);

// Draws every picture at scale 1 into qvga/ and at scale 2 into vga/, and the application
// icon into icons/hicolor/<N>x<N>/apps/. The same options always
// give byte-identical files. Returns false with a reason in *error on the first failure.
bool GenerateArtwork(const GeneratorOptions& options, std::string& error);

}  // namespace artwork
