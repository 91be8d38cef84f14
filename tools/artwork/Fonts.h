#pragma once

#include <cairo.h>

#include <string>

namespace artwork {

// The two faces the artwork draws its few words with (DejaVu Sans and DejaVu Sans Bold),
// loaded from the font files through FreeType, so no font configuration is consulted and the
// glyphs are the same on every run. Move-only; releases the faces and FreeType when destroyed.
class Fonts {
 public:
  Fonts();
  ~Fonts();
  Fonts(Fonts&& other) noexcept;
  Fonts& operator=(Fonts&& other) noexcept;
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // Loads both faces from fontDir; false (with a reason in *error) when a file is missing.
  bool Load(const std::string& fontDir, std::string& error);

  cairo_font_face_t* Regular() const { return regular_; }
  cairo_font_face_t* Bold() const { return bold_; }

 private:
  void Release();

  void* library_ = nullptr;  // FT_Library
  void* regularFace_ = nullptr;  // FT_Face
  void* boldFace_ = nullptr;  // FT_Face
  cairo_font_face_t* regular_ = nullptr;
  cairo_font_face_t* bold_ = nullptr;
};

// Where Debian's fonts-dejavu-core puts the faces.
inline constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype/dejavu";

}  // namespace artwork
