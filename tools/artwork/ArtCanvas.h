#pragma once

#include <cairo.h>

#include <filesystem>
#include <string>

namespace artwork {

// One picture being drawn: a Cairo image surface of the QVGA size times the scale factor, and
// a context whose user space is in QVGA units (so the same drawing code makes both sizes).
// Opaque pictures have no alpha channel. A picture one pixel wide (a strip the client
// stretches sideways) stays one pixel wide at every scale. Move-only owner of the surface and
// the context.
class ArtCanvas {
 public:
  ArtCanvas(int width, int height, int scale, bool opaque);
  ~ArtCanvas();
  ArtCanvas(ArtCanvas&& other) noexcept;
  ArtCanvas& operator=(ArtCanvas&& other) noexcept;
  ArtCanvas(const ArtCanvas&) = delete;
  ArtCanvas& operator=(const ArtCanvas&) = delete;

  bool Ok() const;
  cairo_t* Context() const { return cr_; }
  cairo_surface_t* Surface() const { return surface_; }
  int PixelWidth() const { return cairo_image_surface_get_width(surface_); }
  int PixelHeight() const { return cairo_image_surface_get_height(surface_); }

  // Writes the picture as a PNG file (see WritePng).
  bool Save(const std::filesystem::path& path, std::string& error);

 private:
  void Release();

  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

}  // namespace artwork
