#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/Geometry.h"
#include "platform/gfx/Surface.h"
#include "platform/window/MenuResources.h"

namespace platform {

class Font;

// The parts of the phone screen the system draws: the title bar at the top, the soft-key bar
// at the bottom (each 26·s pixels) and the soft keys' pop-up menu. The application's window
// is the area between the bars. UI thread only.
class ShellChrome {
 public:
  static constexpr std::int32_t kBarHeight = 26;  // times the scale factor

  ShellChrome();
  ~ShellChrome();

  // Lays the bars out for a screen of that size: scale 2 when a side is 640 or 800 pixels.
  void SetScreen(Size screen);
  Size Screen() const { return screen_; }
  int Scale() const { return scale_; }
  Rect TitleBar() const;
  Rect SoftKeyBar() const;
  Rect ClientArea() const;

  void SetTitle(std::u16string title) {
    title_ = std::move(title);
    Changed();
  }
  const std::u16string& Title() const { return title_; }

  // The bars SetMenuBar chooses from (the application's resources); removes the current bar.
  void SetMenuBars(std::vector<MenuBarResource> bars);
  // Installs a soft-key bar resource (closing any open menu); false and no bar when the
  // resource does not exist.
  bool SetMenuBar(int resourceId);
  void ClearMenuBar();
  // The installed resource's id; 0 when none.
  int MenuBarId() const { return bar_ ? bar_->id : 0; }

  // Presses soft key 0 (left) or 1 (right): returns its command, or opens (or closes) its
  // menu and returns nothing.
  std::optional<std::uint32_t> PressSoftKey(int which);
  bool IsMenuOpen() const { return menuOpen_; }
  void CloseMenu() {
    menuOpen_ = false;
    Changed();
  }
  // A key while the menu is open: Up/Down move, Enter chooses (returning the command),
  // Escape and the soft keys close it. Every key is taken.
  std::optional<std::uint32_t> MenuKey(std::uint32_t virtualKey);
  // A stylus release at screen coordinates. `consumed` is false when the point belongs to
  // the application's window (no menu open there); a command is returned when a soft key or
  // a menu entry was chosen.
  std::optional<std::uint32_t> StylusUp(Point point, bool& consumed);
  // Chooses the soft key or menu entry with that label (opening the menu as a user would);
  // false when the bar has none.
  bool ChooseByLabel(const std::u16string& label, std::optional<std::uint32_t>& command);

  // Draws the title bar and soft-key bar, and the menu when it is open. The pictures are
  // rendered once for each state of the chrome and copied from then on.
  void DrawBars(Surface& screen);
  void DrawMenu(Surface& screen);
  Rect MenuRect() const;

 private:
  const SoftKey* Key(int which) const;
  std::int32_t MenuRowTop(std::size_t index) const;
  std::int32_t MenuRowHeight(std::size_t index) const;
  void MoveSelection(int step);
  void Changed() { ++version_; }
  void RenderCache();
  void RenderBars(Surface& screen) const;
  void RenderMenu(Surface& screen) const;

  Size screen_{240, 320};
  int scale_ = 1;
  std::u16string title_;
  std::vector<MenuBarResource> bars_;
  const MenuBarResource* bar_ = nullptr;  // one of bars_
  bool menuOpen_ = false;
  int menuKey_ = 1;          // the soft key whose menu is open
  std::size_t selection_ = 0;  // selected entry of the open menu
  std::unique_ptr<Font> titleFont_;
  std::unique_ptr<Font> keyFont_;
  std::unique_ptr<Font> menuFont_;
  int fontScale_ = 0;
  unsigned version_ = 1;       // counts changes of anything drawn
  unsigned cachedVersion_ = 0;  // the version the caches show
  Surface barsCache_;           // the whole screen; only the bars' rows are drawn
  Surface menuCache_;           // the open menu, MenuRect()'s size
};

}  // namespace platform
