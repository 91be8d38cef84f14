#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gfx/Canvas.h"
#include "platform/text/Font.h"

namespace ui {

// One line of text rendered once and drawn many times: the rendering is kept until the
// text or the font changes, so a repaint that shows the same text neither renders nor
// allocates. Drawn with a transparent background in any colour, like Canvas::TextOut.
// UI thread only.
class TextImage {
 public:
  // Renders the text in the font unless that is what is held already. A null font holds
  // nothing.
  void Set(const platform::Font* font, std::u16string_view text);
  void SetUtf8(const platform::Font* font, std::string_view utf8);

  // The measured width (0 for an empty text) and the font's cell height.
  platform::Size GetSize() const { return size_; }
  const std::u16string& Text() const { return wide_; }

  // Draws the text's cell with its top-left at (x, y) of the canvas, clipped to clip (canvas
  // coordinates) and the canvas.
  void Draw(platform::Canvas& canvas, std::int32_t x, std::int32_t y, const platform::Rect& clip,
            platform::Colour colour) const;

 private:
  void Render();

  const platform::Font* font_ = nullptr;
  std::u16string wide_;
  std::string utf8_;
  platform::Size size_;
  platform::TextCoverage ink_;
};

}  // namespace ui
