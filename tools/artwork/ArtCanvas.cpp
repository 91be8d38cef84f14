#include "tools/artwork/ArtCanvas.h"

#include "tools/artwork/PngFile.h"

#include <utility>

namespace artwork {

ArtCanvas::ArtCanvas(int width, int height, int scale, bool opaque) {
  const int columnScale = width == 1 ? 1 : scale;
  surface_ = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
                                        width * columnScale, height * scale);
  cr_ = cairo_create(surface_);
  cairo_scale(cr_, columnScale, scale);
  if (opaque) {
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_paint(cr_);
  }
}

ArtCanvas::~ArtCanvas() { Release(); }

ArtCanvas::ArtCanvas(ArtCanvas&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)), cr_(std::exchange(other.cr_, nullptr)) {}

ArtCanvas& ArtCanvas::operator=(ArtCanvas&& other) noexcept {
  if (this != &other) {
    Release();
    surface_ = std::exchange(other.surface_, nullptr);
    cr_ = std::exchange(other.cr_, nullptr);
  }
  return *this;
}

bool ArtCanvas::Ok() const {
  return surface_ != nullptr && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS &&
         cr_ != nullptr && cairo_status(cr_) == CAIRO_STATUS_SUCCESS;
}

bool ArtCanvas::Save(const std::filesystem::path& path, std::string& error) {
  if (!Ok()) {
    error = std::string("drawing failed: ") + cairo_status_to_string(cairo_status(cr_));
    return false;
  }
  return WritePng(path, surface_, error);
}

void ArtCanvas::Release() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
  cr_ = nullptr;
  surface_ = nullptr;
}

}  // namespace artwork
