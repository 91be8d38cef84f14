#include "platform/window/ShellChrome.h"

#include <algorithm>

#include "platform/gfx/Canvas.h"
#include "platform/text/Font.h"

namespace platform {
namespace {

constexpr Colour kTitleBarColour = MakeColour(0x1E, 0x3A, 0x5F);
constexpr Colour kSoftKeyBarColour = MakeColour(0x20, 0x20, 0x20);
constexpr Colour kBarTextColour = MakeColour(0xFF, 0xFF, 0xFF);
constexpr Colour kDividerColour = MakeColour(0x60, 0x60, 0x60);
constexpr Colour kMenuColour = MakeColour(0xFF, 0xFF, 0xFF);
constexpr Colour kMenuTextColour = MakeColour(0x00, 0x00, 0x00);
constexpr Colour kMenuSelectionColour = MakeColour(0x31, 0x6A, 0xC5);
constexpr Colour kSeparatorColour = MakeColour(0xA0, 0xA0, 0xA0);
// QVGA sizes, times the scale factor.
constexpr std::int32_t kTitleFontHeight = 15;
constexpr std::int32_t kKeyFontHeight = 14;
constexpr std::int32_t kMenuFontHeight = 14;
constexpr std::int32_t kMenuRowHeight = 22;
constexpr std::int32_t kMenuSeparatorHeight = 7;
constexpr std::int32_t kMenuMinWidth = 120;
constexpr std::int32_t kMenuPadding = 8;
constexpr std::int32_t kTitleIndent = 6;

}  // namespace

ShellChrome::ShellChrome() { SetScreen(screen_); }
ShellChrome::~ShellChrome() = default;

void ShellChrome::SetScreen(Size screen) {
  screen_ = screen;
  auto isLarge = [](std::int32_t side) { return side == 640 || side == 800; };
  scale_ = isLarge(screen.width) || isLarge(screen.height) ? 2 : 1;
  if (fontScale_ != scale_) {
    titleFont_ = Font::Create(kTitleFontHeight * scale_, 700);
    keyFont_ = Font::Create(kKeyFontHeight * scale_, 700);
    menuFont_ = Font::Create(kMenuFontHeight * scale_, 400);
    fontScale_ = scale_;
  }
  menuOpen_ = false;
  Changed();
}

Rect ShellChrome::TitleBar() const { return Rect{0, 0, screen_.width, kBarHeight * scale_}; }

Rect ShellChrome::SoftKeyBar() const {
  return Rect{0, screen_.height - kBarHeight * scale_, screen_.width, screen_.height};
}

Rect ShellChrome::ClientArea() const {
  return Rect{0, kBarHeight * scale_, screen_.width, screen_.height - kBarHeight * scale_};
}

void ShellChrome::SetMenuBars(std::vector<MenuBarResource> bars) {
  ClearMenuBar();
  bars_ = std::move(bars);
}

bool ShellChrome::SetMenuBar(int resourceId) {
  Changed();
  menuOpen_ = false;
  bar_ = nullptr;
  for (const MenuBarResource& bar : bars_) {
    if (bar.id == resourceId) bar_ = &bar;
  }
  return bar_ != nullptr;
}

void ShellChrome::ClearMenuBar() {
  Changed();
  menuOpen_ = false;
  bar_ = nullptr;
}

const SoftKey* ShellChrome::Key(int which) const {
  if (!bar_) return nullptr;
  const SoftKey& key = which == 0 ? bar_->left : bar_->right;
  return key.label.empty() ? nullptr : &key;
}

std::optional<std::uint32_t> ShellChrome::PressSoftKey(int which) {
  Changed();
  const SoftKey* key = Key(which);
  if (menuOpen_) {
    // Either soft key closes an open menu; its own key does nothing more.
    menuOpen_ = false;
    if (which == menuKey_ || !key || !key->menu.empty()) return std::nullopt;
  }
  if (!key) return std::nullopt;
  if (key->menu.empty()) return key->command;
  menuOpen_ = true;
  menuKey_ = which;
  selection_ = 0;
  while (selection_ < key->menu.size() && key->menu[selection_].separator) ++selection_;
  return std::nullopt;
}

void ShellChrome::MoveSelection(int step) {
  Changed();
  const SoftKey* key = Key(menuKey_);
  if (!key || key->menu.empty()) return;
  const auto count = static_cast<int>(key->menu.size());
  int index = static_cast<int>(selection_);
  for (int tries = 0; tries < count; ++tries) {
    index = (index + step + count) % count;
    if (!key->menu[static_cast<std::size_t>(index)].separator) break;
  }
  selection_ = static_cast<std::size_t>(index);
}

std::optional<std::uint32_t> ShellChrome::MenuKey(std::uint32_t virtualKey) {
  Changed();
  const SoftKey* key = Key(menuKey_);
  if (!menuOpen_ || !key) return std::nullopt;
  switch (virtualKey) {
    case 38: MoveSelection(-1); break;  // Up
    case 40: MoveSelection(1); break;   // Down
    case 13:                            // Enter
      menuOpen_ = false;
      if (selection_ < key->menu.size() && !key->menu[selection_].separator) {
        return key->menu[selection_].command;
      }
      break;
    case 27:   // Escape
    case 37:   // Left
    case 112:  // F1
    case 113:  // F2
      menuOpen_ = false;
      break;
    default:
      break;
  }
  return std::nullopt;
}

std::int32_t ShellChrome::MenuRowHeight(std::size_t index) const {
  const SoftKey* key = Key(menuKey_);
  bool separator = key && index < key->menu.size() && key->menu[index].separator;
  return (separator ? kMenuSeparatorHeight : kMenuRowHeight) * scale_;
}

std::int32_t ShellChrome::MenuRowTop(std::size_t index) const {
  std::int32_t y = MenuRect().top + 1;
  for (std::size_t i = 0; i < index; ++i) y += MenuRowHeight(i);
  return y;
}

Rect ShellChrome::MenuRect() const {
  const SoftKey* key = Key(menuKey_);
  if (!key) return Rect{};
  std::int32_t height = 2;
  std::int32_t width = kMenuMinWidth * scale_;
  for (std::size_t i = 0; i < key->menu.size(); ++i) {
    height += MenuRowHeight(i);
    if (menuFont_ && !key->menu[i].separator) {
      Surface scratch;
      Canvas measure(scratch);
      measure.SelectFont(menuFont_.get());
      width = std::max(width, measure.MeasureText(key->menu[i].label).width + 2 * kMenuPadding * scale_ + 2);
    }
  }
  width = std::min(width, screen_.width);
  const std::int32_t bottom = SoftKeyBar().top;
  const std::int32_t right = menuKey_ == 0 ? width : screen_.width;
  return Rect{right - width, std::max(0, bottom - height), right, bottom};
}

std::optional<std::uint32_t> ShellChrome::StylusUp(Point point, bool& consumed) {
  Changed();
  consumed = true;
  if (menuOpen_) {
    const SoftKey* key = Key(menuKey_);
    Rect menu = MenuRect();
    if (key && menu.Contains(point.x, point.y)) {
      for (std::size_t i = 0; i < key->menu.size(); ++i) {
        std::int32_t top = MenuRowTop(i);
        if (point.y >= top && point.y < top + MenuRowHeight(i)) {
          if (key->menu[i].separator) return std::nullopt;  // the menu stays open
          menuOpen_ = false;
          return key->menu[i].command;
        }
      }
      return std::nullopt;
    }
    if (!SoftKeyBar().Contains(point.x, point.y)) {
      menuOpen_ = false;  // a tap elsewhere only closes the menu
      return std::nullopt;
    }
  }
  if (SoftKeyBar().Contains(point.x, point.y)) {
    return PressSoftKey(point.x < screen_.width / 2 ? 0 : 1);
  }
  consumed = !ClientArea().Contains(point.x, point.y);
  return std::nullopt;
}

bool ShellChrome::ChooseByLabel(const std::u16string& label, std::optional<std::uint32_t>& command) {
  Changed();
  command.reset();
  for (int which = 0; which < 2; ++which) {
    const SoftKey* key = Key(which);
    if (!key) continue;
    if (key->label == label) {
      menuOpen_ = false;
      command = PressSoftKey(which);
      return true;
    }
    for (std::size_t i = 0; i < key->menu.size(); ++i) {
      if (!key->menu[i].separator && key->menu[i].label == label) {
        menuOpen_ = false;
        menuKey_ = which;
        command = key->menu[i].command;
        return true;
      }
    }
  }
  return false;
}

void ShellChrome::RenderBars(Surface& screen) const {
  Canvas canvas(screen);
  canvas.SetBkMode(BackgroundMode::kTransparent);
  canvas.SetTextColor(kBarTextColour);
  const Rect title = TitleBar();
  canvas.FillRect(title, kTitleBarColour);
  if (titleFont_) {
    canvas.SelectFont(titleFont_.get());
    Rect text{title.left + kTitleIndent * scale_, title.top, title.right - kTitleIndent * scale_,
              title.bottom};
    canvas.DrawText(title_, text, kDtSingleLine | kDtVCenter | kDtEndEllipsis);
  }
  const Rect bar = SoftKeyBar();
  canvas.FillRect(bar, kSoftKeyBarColour);
  const std::int32_t middle = screen_.width / 2;
  canvas.FillRect(Rect{middle, bar.top + 5 * scale_, middle + 1, bar.bottom - 5 * scale_}, kDividerColour);
  if (keyFont_) canvas.SelectFont(keyFont_.get());
  for (int which = 0; which < 2; ++which) {
    const SoftKey* key = Key(which);
    if (!key) continue;
    Rect half = which == 0 ? Rect{bar.left, bar.top, middle, bar.bottom}
                           : Rect{middle + 1, bar.top, bar.right, bar.bottom};
    canvas.DrawText(key->label, half, kDtSingleLine | kDtVCenter | kDtCenter | kDtEndEllipsis);
  }
}

void ShellChrome::RenderMenu(Surface& surface) const {
  const SoftKey* key = Key(menuKey_);
  if (!menuOpen_ || !key) return;
  const Rect where = MenuRect();
  // The menu is drawn into its own surface: its screen place moved to (0, 0).
  Canvas canvas(surface);
  const Rect menu = where.Offset(-where.left, -where.top);
  canvas.SelectPen(Pen{});
  canvas.SelectBrush(Brush{Brush::Style::kSolid, kMenuColour});
  canvas.Rectangle(menu);
  canvas.SetBkMode(BackgroundMode::kTransparent);
  if (menuFont_) canvas.SelectFont(menuFont_.get());
  for (std::size_t i = 0; i < key->menu.size(); ++i) {
    const std::int32_t top = MenuRowTop(i) - where.top, height = MenuRowHeight(i);
    Rect row{menu.left + 1, top, menu.right - 1, top + height};
    if (key->menu[i].separator) {
      std::int32_t y = top + height / 2;
      canvas.FillRect(Rect{row.left + 3 * scale_, y, row.right - 3 * scale_, y + 1}, kSeparatorColour);
      continue;
    }
    bool selected = i == selection_;
    if (selected) canvas.FillRect(row, kMenuSelectionColour);
    canvas.SetTextColor(selected ? kBarTextColour : kMenuTextColour);
    Rect text{row.left + kMenuPadding * scale_, row.top, row.right - kMenuPadding * scale_, row.bottom};
    canvas.DrawText(key->menu[i].label, text, kDtSingleLine | kDtVCenter | kDtEndEllipsis);
  }
}

}  // namespace platform

namespace platform {

void ShellChrome::RenderCache() {
  if (cachedVersion_ == version_) return;
  if (barsCache_.GetSize() != screen_) barsCache_.Reset(screen_.width, screen_.height, PixelFormat::kXrgb32);
  RenderBars(barsCache_);
  const Rect menu = menuOpen_ ? MenuRect() : Rect{};
  if (!menu.IsEmpty()) {
    menuCache_.Reset(menu.Width(), menu.Height(), PixelFormat::kXrgb32);
    RenderMenu(menuCache_);
  }
  cachedVersion_ = version_;
}

void ShellChrome::DrawBars(Surface& screen) {
  RenderCache();
  Canvas to(screen);
  Canvas from(barsCache_);
  const Rect title = TitleBar(), keys = SoftKeyBar();
  to.BitBlt(title.left, title.top, title.Width(), title.Height(), from, title.left, title.top);
  to.BitBlt(keys.left, keys.top, keys.Width(), keys.Height(), from, keys.left, keys.top);
}

void ShellChrome::DrawMenu(Surface& screen) {
  if (!menuOpen_) return;
  RenderCache();
  const Rect menu = MenuRect();
  Canvas to(screen);
  Canvas from(menuCache_);
  to.BitBlt(menu.left, menu.top, menu.Width(), menu.Height(), from, 0, 0);
}

}  // namespace platform
