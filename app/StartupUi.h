#pragma once

#include <functional>
#include <string>

#include "platform/window/Messages.h"

namespace app {

// Shows a message box with no owner window (UTF-8 caption and text) and returns the button
// chosen. Start-up's network steps show their boxes through one of these.
using MessageBoxFunction = std::function<platform::MessageBoxResult(
    const std::string& caption, const std::string& text, platform::MessageBoxButtons buttons)>;

}  // namespace app
