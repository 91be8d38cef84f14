#include "platform/text/Font.h"

#include <SDL_ttf.h>

#include <cmath>
#include <mutex>
#include <string>

#include "platform/DebugLog.h"

namespace platform {
namespace {

constexpr const char* kRegularFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr std::int32_t kSystemFontHeight = 13;

// Keeps the FreeType library of SDL2_ttf initialised while any font lives. TTF_Init and
// TTF_Quit count their calls, so each font holds one reference.
class TtfReference {
 public:
  TtfReference() : ok_(TTF_Init() == 0) {}
  ~TtfReference() {
    if (ok_) TTF_Quit();
  }
  TtfReference(const TtfReference&) = delete;
  TtfReference& operator=(const TtfReference&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

struct TtfFontCloser {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
struct SurfaceFreer {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

}  // namespace

struct Font::Impl {
  TtfReference library;  // declared first: outlives the font below
  std::unique_ptr<TTF_Font, TtfFontCloser> font;
  std::int32_t height = 0;
  std::int32_t ascent = 0;
  bool bold = false;
  double xScale = 1.0;  // horizontal scale for an explicit character width
};

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

std::unique_ptr<Font> Font::Create(std::int32_t height, std::int32_t weight, std::int32_t width) {
  if (height < kMinHeight || height > kMaxHeight) return nullptr;
  auto impl = std::make_unique<Impl>();
  if (!impl->library.Ok()) return nullptr;
  impl->bold = weight >= kBoldWeight;
  // DejaVu's cell is about 1.164 em; start from that size and step down until the cell fits.
  int points = static_cast<int>(std::lround(height / 1.164)) + 1;
  impl->font.reset(TTF_OpenFont(impl->bold ? kBoldFontPath : kRegularFontPath, points));
  if (!impl->font) {
    DebugPrintf("Font: cannot open DejaVu Sans: %s", TTF_GetError());
    return nullptr;
  }
  while (points > 1 && TTF_FontHeight(impl->font.get()) > height) {
    --points;
    if (TTF_SetFontSize(impl->font.get(), points) != 0) return nullptr;
  }
  impl->height = height;
  impl->ascent = TTF_FontAscent(impl->font.get());
  if (width > 0) {
    int natural = 0;
    if (TTF_SizeUTF8(impl->font.get(), "x", &natural, nullptr) == 0 && natural > 0) {
      impl->xScale = static_cast<double>(width) / natural;
    }
  }
  return std::unique_ptr<Font>(new Font(std::move(impl)));
}

std::int32_t Font::Height() const { return impl_->height; }
std::int32_t Font::Ascent() const { return impl_->ascent; }
bool Font::IsBold() const { return impl_->bold; }

Size Font::Measure(std::string_view utf8) const {
  if (utf8.empty()) return Size{0, impl_->height};
  std::string text(utf8);
  int w = 0;
  if (TTF_SizeUTF8(impl_->font.get(), text.c_str(), &w, nullptr) != 0) w = 0;
  if (impl_->xScale != 1.0) w = static_cast<int>(std::lround(w * impl_->xScale));
  return Size{w, impl_->height};
}

bool Font::Render(std::string_view utf8, TextCoverage& out) const {
  out = TextCoverage{};
  if (utf8.empty()) return false;
  std::string text(utf8);
  std::unique_ptr<SDL_Surface, SurfaceFreer> rendered(
      TTF_RenderUTF8_Blended(impl_->font.get(), text.c_str(), SDL_Color{255, 255, 255, 255}));
  if (!rendered) return false;
  SDL_Surface* s = rendered.get();
  if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return false;
  const int naturalWidth = s->w;
  const int outWidth = impl_->xScale != 1.0
                           ? static_cast<int>(std::lround(naturalWidth * impl_->xScale))
                           : naturalWidth;
  // The cell is impl_->height tall; the rendered surface may be taller by a rounding pixel.
  const int rows = std::min(s->h, impl_->height);
  out.width = outWidth;
  out.height = impl_->height;
  out.alpha.assign(static_cast<std::size_t>(outWidth) * impl_->height, 0);
  const std::uint32_t alphaMask = s->format->Amask;
  const int alphaShift = s->format->Ashift;
  for (int y = 0; y < rows; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(
                                                                 s->pixels) +
                                                             static_cast<std::size_t>(y) * s->pitch);
    std::uint8_t* dst = out.alpha.data() + static_cast<std::size_t>(y) * outWidth;
    for (int x = 0; x < outWidth; ++x) {
      int sx = outWidth == naturalWidth
                   ? x
                   : std::min(naturalWidth - 1,
                              static_cast<int>((x + 0.5) * naturalWidth / outWidth));
      dst[x] = static_cast<std::uint8_t>((src[sx] & alphaMask) >> alphaShift);
    }
  }
  if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
  return true;
}

const Font* SystemFont() {
  static const std::unique_ptr<Font> font = Font::Create(kSystemFontHeight);
  return font.get();
}

}  // namespace platform
