#include "platform/window/EditField.h"

#include <algorithm>

#include "platform/TextCodec.h"
#include "platform/text/Font.h"
#include "platform/window/Messages.h"

namespace platform {
namespace {

constexpr Colour kFieldColour = MakeColour(0xFF, 0xFF, 0xFF);
constexpr Colour kTextColour = MakeColour(0x00, 0x00, 0x00);
constexpr Colour kSelectionColour = MakeColour(0x31, 0x6A, 0xC5);
constexpr Colour kSelectedTextColour = MakeColour(0xFF, 0xFF, 0xFF);
constexpr std::int32_t kTextInset = 1;

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

EditField::EditField(int scale) : font_(Font::Create(kFontHeight * std::max(scale, 1))) {}
EditField::~EditField() = default;

void EditField::SetLimit(std::size_t units) {
  limit_ = std::max<std::size_t>(units, 1);
  if (text_.size() > limit_) SetText(text_);
}

void EditField::SetText(std::u16string text) {
  text.resize(Utf16PrefixLength(text, limit_));
  text_ = std::move(text);
  caret_ = anchor_ = text_.size();
  scrollX_ = 0;
  ScrollToCaret();
}

void EditField::SetSelection(std::int32_t start, std::int32_t end) {
  auto clamp = [this](std::int32_t pos) {
    return pos < 0 ? text_.size() : std::min(static_cast<std::size_t>(pos), text_.size());
  };
  anchor_ = clamp(start);
  caret_ = clamp(end);
  ScrollToCaret();
}

std::size_t EditField::PreviousBoundary(std::size_t pos) const {
  if (pos == 0) return 0;
  --pos;
  if (pos > 0 && IsLowSurrogate(text_[pos])) --pos;
  return pos;
}

std::size_t EditField::NextBoundary(std::size_t pos) const {
  if (pos >= text_.size()) return text_.size();
  ++pos;
  if (pos < text_.size() && IsLowSurrogate(text_[pos])) ++pos;
  return pos;
}

void EditField::ReplaceSelection(std::u16string_view with) {
  const std::size_t start = SelectionStart(), end = SelectionEnd();
  const std::size_t room = limit_ - std::min(limit_, text_.size() - (end - start));
  with = with.substr(0, Utf16PrefixLength(with, room));
  text_.replace(start, end - start, with);
  caret_ = anchor_ = start + with.size();
  ScrollToCaret();
}

bool EditField::KeyDown(std::uint32_t virtualKey, bool shift) {
  if (hook_ && hook_(virtualKey, kKeyDownData)) return true;
  std::size_t target = caret_;
  switch (virtualKey) {
    case vk::kLeft:
      target = (!shift && anchor_ != caret_) ? SelectionStart() : PreviousBoundary(caret_);
      break;
    case vk::kRight:
      target = (!shift && anchor_ != caret_) ? SelectionEnd() : NextBoundary(caret_);
      break;
    case vk::kHome: target = 0; break;
    case vk::kEnd: target = text_.size(); break;
    case vk::kBack:
      if (anchor_ == caret_) anchor_ = PreviousBoundary(caret_);
      ReplaceSelection(u"");
      return true;
    case vk::kDelete:
      if (anchor_ == caret_) anchor_ = NextBoundary(caret_);
      ReplaceSelection(u"");
      return true;
    default:
      return false;
  }
  caret_ = target;
  if (!shift) anchor_ = caret_;
  ScrollToCaret();
  return true;
}

void EditField::InsertText(std::string_view utf8) {
  std::u16string typed = Utf8ToUtf16(utf8);
  // Control characters (line breaks, tabs) have no place in a single-line field.
  typed.erase(std::remove_if(typed.begin(), typed.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; }),
              typed.end());
  if (!typed.empty()) ReplaceSelection(typed);
}

std::int32_t EditField::TextWidth(std::size_t units) const {
  if (!font_ || units == 0) return 0;
  return font_->Measure(Utf16ToUtf8(std::u16string_view(text_).substr(0, units))).width;
}

void EditField::TapAt(std::int32_t clientX) {
  const std::int32_t x = clientX - rect_.left - kTextInset + scrollX_;
  std::size_t best = 0;
  std::int32_t bestDistance = std::abs(x);
  for (std::size_t pos = NextBoundary(0); pos <= text_.size() && pos > 0; pos = NextBoundary(pos)) {
    std::int32_t distance = std::abs(TextWidth(pos) - x);
    if (distance < bestDistance) {
      best = pos;
      bestDistance = distance;
    }
    if (pos == text_.size()) break;
  }
  caret_ = anchor_ = best;
  ScrollToCaret();
}

void EditField::ScrollToCaret() {
  const std::int32_t visible = std::max(1, rect_.Width() - 2 * kTextInset - 1);
  const std::int32_t caretX = TextWidth(caret_);
  if (caretX - scrollX_ > visible) scrollX_ = caretX - visible;
  if (caretX < scrollX_) scrollX_ = caretX;
  const std::int32_t total = TextWidth(text_.size());
  // Never leave empty room at the right while text is scrolled out at the left.
  if (total - scrollX_ < visible) scrollX_ = std::max(0, total - visible);
}

void EditField::Draw(Canvas& client, bool focused) {
  if (!visible_ || rect_.IsEmpty()) return;
  client.FillRect(rect_, kFieldColour);
  if (!font_) return;
  Canvas canvas = client;
  canvas.SelectFont(font_.get());
  canvas.SetBkMode(BackgroundMode::kTransparent);
  const std::int32_t y = rect_.top + (rect_.Height() - font_->Height()) / 2;
  const std::int32_t x0 = rect_.left + kTextInset - scrollX_;
  const std::size_t start = SelectionStart(), end = SelectionEnd();
  std::u16string_view text(text_);
  canvas.SetTextColor(kTextColour);
  canvas.TextOut(x0, y, &rect_, text.substr(0, start));
  if (end > start) {
    const std::int32_t selLeft = x0 + TextWidth(start), selRight = x0 + TextWidth(end);
    canvas.FillRect(Rect{selLeft, y, selRight, y + font_->Height()}.Intersect(rect_), kSelectionColour);
    canvas.SetTextColor(kSelectedTextColour);
    canvas.TextOut(selLeft, y, &rect_, text.substr(start, end - start));
    canvas.SetTextColor(kTextColour);
  }
  canvas.TextOut(x0 + TextWidth(end), y, &rect_, text.substr(end));
  if (focused) {
    const std::int32_t caretX = x0 + TextWidth(caret_);
    canvas.FillRect(Rect{caretX, y, caretX + 1, y + font_->Height()}.Intersect(rect_), kTextColour);
  }
}

}  // namespace platform
