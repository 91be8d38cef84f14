#pragma once

#include "tools/artwork/Paint.h"

#include <functional>
#include <string>
#include <vector>

namespace artwork {

// One picture of the resource folders: where it goes, its QVGA size (VGA is twice that),
// whether it is opaque (loaded as a plain bitmap, no alpha channel) and how to draw it in
// QVGA units.
struct PictureRecipe {
  std::string path;  // relative to the resource folder, '/'-separated
  int width;
  int height;
  bool opaque;
  std::function<void(const ArtContext&)> draw;
};

using ImageList = std::vector<PictureRecipe>;

// Each group of pictures, in the folder layout's order.
void AddListArt(ImageList* images);
void AddTabArt(ImageList* images);
void AddPopupArt(ImageList* images);
void AddMiniPlayerArt(ImageList* images);
void AddPlayerArt(ImageList* images);
void AddPlayerButtonArt(ImageList* images);
void AddSkinArt(ImageList* images);
void AddMiscArt(ImageList* images);

// Every picture, in the order above.
ImageList AllImages();

}  // namespace artwork
