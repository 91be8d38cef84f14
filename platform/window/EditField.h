#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Geometry.h"

namespace platform {

class Font;

// A single-line edit field laid over the application's window: text (UTF-16), a caret, a
// selection, horizontal scrolling and a limit on the number of characters (UTF-16 units).
// It takes keys and typed text while it has the focus; a key hook sees every key down first
// and keeps the keys it reports as consumed. The window owns its fields; UI thread only.
class EditField {
 public:
  // Returns true when it consumed the key (the field then does not see it).
  using KeyHook = std::function<bool(std::uint32_t virtualKey, std::intptr_t keyData)>;
  static constexpr std::size_t kDefaultLimit = 30000;
  static constexpr std::int32_t kFontHeight = 13;  // times the scale factor

  explicit EditField(int scale);
  ~EditField();
  EditField(const EditField&) = delete;
  EditField& operator=(const EditField&) = delete;

  void SetKeyHook(KeyHook hook) { hook_ = std::move(hook); }
  // The field's place in client coordinates.
  void SetRect(const Rect& rect) { rect_ = rect; }
  const Rect& GetRect() const { return rect_; }
  void Show(bool visible) { visible_ = visible; }
  bool IsVisible() const { return visible_; }

  // Limits the text to this many UTF-16 units (at least 1); longer text is cut.
  void SetLimit(std::size_t units);
  std::size_t Limit() const { return limit_; }
  const std::u16string& Text() const { return text_; }
  // Replaces the text (cut to the limit), caret at its end, nothing selected.
  void SetText(std::u16string text);
  // Selects [start, end); an end of -1 means the end of the text. The caret goes to end.
  void SetSelection(std::int32_t start, std::int32_t end);
  std::size_t SelectionStart() const { return std::min(anchor_, caret_); }
  std::size_t SelectionEnd() const { return std::max(anchor_, caret_); }
  std::size_t Caret() const { return caret_; }

  // A key down that reached the field: the hook first, then the field's editing keys (Left,
  // Right, Home, End with Shift to select, Backspace, Delete). Returns true when taken.
  bool KeyDown(std::uint32_t virtualKey, bool shift);
  // Typed text (UTF-8) replaces the selection; what goes beyond the limit is refused.
  void InsertText(std::string_view utf8);
  // A tap at client x places the caret at the nearest character boundary.
  void TapAt(std::int32_t clientX);

  // Draws the field into the client canvas; the caret only when focused.
  void Draw(Canvas& client, bool focused);

 private:
  void ReplaceSelection(std::u16string_view with);
  std::size_t PreviousBoundary(std::size_t pos) const;
  std::size_t NextBoundary(std::size_t pos) const;
  std::int32_t TextWidth(std::size_t units) const;
  void ScrollToCaret();

  std::unique_ptr<Font> font_;
  KeyHook hook_;
  Rect rect_;
  bool visible_ = false;
  std::size_t limit_ = kDefaultLimit;
  std::u16string text_;
  std::size_t caret_ = 0;
  std::size_t anchor_ = 0;   // the other end of the selection
  std::int32_t scrollX_ = 0;  // pixels of text scrolled out at the left
};

}  // namespace platform
