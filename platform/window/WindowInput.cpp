#include <string>

#include "platform/DebugLog.h"
#include "platform/TextCodec.h"
#include "platform/window/Window.h"

// Input routing of Window: the open menu first, then the soft keys, accelerators and the
// emulator's own keys, then the focused edit field, then the procedure.

namespace platform {

void Window::SetResources(ShellResources resources) {
  chrome_.SetMenuBars(std::move(resources.menuBars));
  accelerators_ = std::move(resources.accelerators);
  exitCommand_ = resources.exitCommand;
}

void Window::HandleInput(const InputEvent& event) { queue_.Push(event); }

void Window::DispatchInput(const InputEvent& event) {
  switch (event.type) {
    case InputEvent::Type::kKeyDown:
      DispatchKeyDown(event);
      break;
    case InputEvent::Type::kKeyUp:
      if (!focus_ && !chrome_.IsMenuOpen()) Send(wm::kKeyUp, event.key, kKeyUpData);
      break;
    case InputEvent::Type::kText:
      if (chrome_.IsMenuOpen()) break;
      if (focus_) {
        focus_->InsertText(event.text);
      } else {
        for (char16_t unit : Utf8ToUtf16(event.text)) Send(wm::kChar, unit, 1);
      }
      break;
    case InputEvent::Type::kStylusDown:
    case InputEvent::Type::kStylusMove:
    case InputEvent::Type::kStylusUp:
      DispatchStylus(event);
      break;
    case InputEvent::Type::kCloseRequest:
      Post(wm::kClose);
      break;
  }
}

void Window::DispatchKeyDown(const InputEvent& event) {
  const std::uint32_t key = event.key;
  if (chrome_.IsMenuOpen()) {
    if (std::optional<std::uint32_t> command = chrome_.MenuKey(key)) PostCommand(*command);
    return;
  }
  if (key == vk::kF1 || key == vk::kF2) {
    if (std::optional<std::uint32_t> command = chrome_.PressSoftKey(key == vk::kF1 ? 0 : 1)) {
      PostCommand(*command);
    }
    return;
  }
  if (key == vk::kF12 || key == vk::kF11) {
    // F12 saves the screen as a picture, F11 as text.
    std::string path = screenshotDirectory_.empty() ? std::string() : screenshotDirectory_ + "/";
    path += "vornalo-screenshot-" + std::to_string(++screenshotCount_) + (key == vk::kF12 ? ".png" : ".txt");
    std::string error;
    const bool saved = key == vk::kF12 ? SaveScreenshot(path, error) : SaveScreenText(path, error);
    if (!saved) DebugPrintf("screenshot %s failed: %s", path.c_str(), error.c_str());
    return;
  }
  if (event.ctrl) {
    // The accelerators send their command at once, as the translated key would.
    for (const Accelerator& accelerator : accelerators_) {
      if (accelerator.key == key) {
        Send(wm::kCommand, accelerator.command, 0);
        return;
      }
    }
    if (key == 'R') {
      Rotate();
      return;
    }
  }
  if (focus_) {
    focus_->KeyDown(key, event.shift);
    return;
  }
  Send(wm::kKeyDown, key, kKeyDownData);
}

void Window::DispatchStylus(const InputEvent& event) {
  const Rect area = chrome_.ClientArea();
  const std::int32_t cx = event.x - area.left, cy = event.y - area.top;
  switch (event.type) {
    case InputEvent::Type::kStylusDown: {
      stylusField_ = nullptr;
      stylusInClient_ = false;
      if (chrome_.IsMenuOpen() || !area.Contains(event.x, event.y)) return;
      // Edit fields lie over the client area like child windows: the newest on top.
      for (auto it = editFields_.rbegin(); it != editFields_.rend(); ++it) {
        EditField& field = **it;
        if (field.IsVisible() && field.GetRect().Contains(cx, cy)) {
          stylusField_ = &field;
          focus_ = &field;
          field.TapAt(cx);
          return;
        }
      }
      stylusInClient_ = true;
      Send(wm::kStylusDown, 0, MakeLParam(cx, cy));
      return;
    }
    case InputEvent::Type::kStylusMove:
      if (stylusInClient_) Send(wm::kStylusMove, 0, MakeLParam(cx, cy));
      return;
    case InputEvent::Type::kStylusUp: {
      if (stylusField_) {
        stylusField_ = nullptr;
        return;
      }
      if (stylusInClient_) {
        stylusInClient_ = false;
        Send(wm::kStylusUp, 0, MakeLParam(cx, cy));
        return;
      }
      bool consumed = false;
      if (std::optional<std::uint32_t> command = chrome_.StylusUp(Point{event.x, event.y}, consumed)) {
        PostCommand(*command);
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace platform
