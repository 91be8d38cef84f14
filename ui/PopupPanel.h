#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/STScreenBuffer.h"
#include "ui/ThemeColour.h"
#include "ui/View.h"

namespace ui {

// The floating panel of every popup: at each opening (Compose) the window's current picture
// is captured, the tint rectangle filled with the theme colour, the semi-transparent panel
// picture blended over both, and the subclass's content drawn on top. Ordinary repaints only
// copy that composed picture. Keys: Up / Down clear the focus; nothing is consumed.
class PopupPanel : public View {
 public:
  // The View create; returns 1.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Loads the panel picture of each orientation (narrow relative resource names) and sets
  // the tint rectangles: 1, 1001 or 1002.
  int LoadPanelImages(const char* landscapeName, const char* portraitName);
  // Decodes one more floating icon: 1, 1001 or 1002.
  int AddIcon(const char* name);
  // Drops every icon, then adds this one.
  int SetIcon(const char* name);
  // Draws icons[index] with transparency at iconPos of the current orientation; nothing for
  // an index without an icon.
  void DrawIcon(platform::Canvas& dc, std::size_t index);
  void SetThemeColourSource(ThemeColourSource source) { themeColour_ = std::move(source); }

  // Composes the panel over what the window shows now.
  void Compose();
  // Copies the composed picture.
  void Paint(platform::Canvas& dc) override;
  // Copies the part of the composed picture that lies under `area` (window coordinates) to
  // the same place of the window's canvas.
  void PaintArea(platform::Canvas& windowDC, const platform::Rect& area);
  bool OnKey(std::uint32_t virtualKey) override { return StandardKey(virtualKey); }
  bool OnTap(std::int32_t, std::int32_t) override { return false; }
  // Draws the texts and icon of the panel into the composed picture.
  virtual void DrawContent(platform::Canvas& dc) = 0;

  STScreenBuffer panelImage[2];
  STScreenBuffer composed;
  platform::Rect tintRect[2];
  platform::Point iconPos[2];
  std::vector<std::unique_ptr<STScreenBuffer>> icons;

 protected:
  // Draws one text line into box, transparent, ending in an ellipsis when it does not fit.
  static void DrawTextLine(platform::Canvas& dc, const platform::Font* font, const std::u16string& text,
                           platform::Rect box, platform::Colour colour);
  // The box from a QVGA top-left to a QVGA bottom-right corner, scaled.
  static platform::Rect ScaledBox(platform::Point topLeft, platform::Point bottomRight);
  // The longest prefix of at most maxLength characters.
  static std::u16string CutLine(std::u16string_view text, std::size_t maxLength);

 private:
  ThemeColourSource themeColour_;
};

}  // namespace ui
