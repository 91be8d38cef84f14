#include "platform/png/PngDecoder.h"

#include <png.h>

#include <csetjmp>

#include "platform/DebugLog.h"

// libpng's error return (setjmp) lives in the two phase functions below, which hold no C++
// objects of their own, so a jump back never skips a destructor.

namespace platform {
namespace {

constexpr double kScreenGamma = 2.2;
constexpr double kBackgroundGamma = 1.0;

void OnError(png_structp png, png_const_charp message) {
  DebugPrintf("LoadPng: %s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp message) { DebugPrintf("LoadPng warning: %s", message); }

bool DecodeHeader(png_structp png, png_infop info, std::FILE* file, std::uint32_t maxSide,
                  PngDecoder::Layout* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, maxSide, maxSide);
  png_init_io(png, file);
  png_set_sig_bytes(png, static_cast<int>(PngDecoder::kSignatureBytes));
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);

  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (bitDepth == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
  if (bitDepth < 8) png_set_expand(png);
  if (hasTrns) png_set_expand(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);

  png_color_16p background = nullptr;
  if (png_get_bKGD(png, info, &background) && background) {
    png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, kBackgroundGamma);
    out->hasBackground = true;
    out->background[0] = static_cast<png_byte>(background->red);
    out->background[1] = static_cast<png_byte>(background->green);
    out->background[2] = static_cast<png_byte>(background->blue);
  }
  double fileGamma = 0;
  if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, kScreenGamma, fileGamma);

  // Every decoded image has 4 bytes a pixel, because every draw reads 4: an image without
  // alpha, or whose alpha the bKGD composite removed, gets an opaque alpha byte.
  const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
  if (!hasAlpha || out->hasBackground) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);

  png_read_update_info(png, info);
  png_get_IHDR(png, info, &out->width, &out->height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  out->rowBytes = png_get_rowbytes(png, info);
  out->channels = png_get_channels(png, info);
  return true;
}

bool DecodeRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

PngDecoder::PngDecoder() {
  png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnError, &OnWarning);
  if (png_) info_ = png_create_info_struct(png_);
}

PngDecoder::~PngDecoder() {
  if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
}

bool PngDecoder::IsSignature(const std::uint8_t* bytes) { return png_sig_cmp(bytes, 0, kSignatureBytes) == 0; }

bool PngDecoder::ReadHeader(std::FILE* file, std::uint32_t maxSide, Layout* out) {
  return Ok() && DecodeHeader(png_, info_, file, maxSide, out);
}

bool PngDecoder::ReadRows(std::uint8_t** rows) { return Ok() && DecodeRows(png_, rows); }

}  // namespace platform
