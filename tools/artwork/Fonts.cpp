#include "tools/artwork/Fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <utility>

namespace artwork {
namespace {

constexpr const char* kRegularFile = "DejaVuSans.ttf";
constexpr const char* kBoldFile = "DejaVuSans-Bold.ttf";

cairo_font_face_t* MakeCairoFace(FT_Face face) {
  return cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_DEFAULT);
}

}  // namespace

Fonts::Fonts() = default;

Fonts::~Fonts() { Release(); }

Fonts::Fonts(Fonts&& other) noexcept
    : library_(std::exchange(other.library_, nullptr)),
      regularFace_(std::exchange(other.regularFace_, nullptr)),
      boldFace_(std::exchange(other.boldFace_, nullptr)),
      regular_(std::exchange(other.regular_, nullptr)),
      bold_(std::exchange(other.bold_, nullptr)) {}

Fonts& Fonts::operator=(Fonts&& other) noexcept {
  if (this != &other) {
    Release();
    library_ = std::exchange(other.library_, nullptr);
    regularFace_ = std::exchange(other.regularFace_, nullptr);
    boldFace_ = std::exchange(other.boldFace_, nullptr);
    regular_ = std::exchange(other.regular_, nullptr);
    bold_ = std::exchange(other.bold_, nullptr);
  }
  return *this;
}

bool Fonts::Load(const std::string& fontDir, std::string& error) {
  Release();
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    error = "cannot start FreeType";
    return false;
  }
  library_ = library;
  FT_Face regular = nullptr;
  const std::string regularPath = fontDir + "/" + kRegularFile;
  if (FT_New_Face(library, regularPath.c_str(), 0, &regular) != 0) {
    error = "cannot load the font " + regularPath;
    return false;
  }
  regularFace_ = regular;
  FT_Face bold = nullptr;
  const std::string boldPath = fontDir + "/" + kBoldFile;
  if (FT_New_Face(library, boldPath.c_str(), 0, &bold) != 0) {
    error = "cannot load the font " + boldPath;
    return false;
  }
  boldFace_ = bold;
  regular_ = MakeCairoFace(regular);
  bold_ = MakeCairoFace(bold);
  return true;
}

void Fonts::Release() {
  // Cairo's font caches hold references to the faces; reset them so the FreeType faces can
  // go before the library does.
  if (regular_ != nullptr) cairo_font_face_destroy(regular_);
  if (bold_ != nullptr) cairo_font_face_destroy(bold_);
  regular_ = nullptr;
  bold_ = nullptr;
  cairo_debug_reset_static_data();
  if (regularFace_ != nullptr) FT_Done_Face(static_cast<FT_Face>(regularFace_));
  if (boldFace_ != nullptr) FT_Done_Face(static_cast<FT_Face>(boldFace_));
  regularFace_ = nullptr;
  boldFace_ = nullptr;
  if (library_ != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library_));
  library_ = nullptr;
}

}  // namespace artwork
