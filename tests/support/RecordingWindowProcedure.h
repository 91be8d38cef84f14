#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window/Window.h"

namespace testsupport {

// Records every message (paints included); destroy ends the loop with 0, the rest goes to the
// default procedure unless `handler` returns true.
class RecordingWindowProcedure : public platform::WindowProcedure {
 public:
  std::intptr_t OnMessage(platform::Window& window, const platform::Message& message) override {
    messages.push_back(message);
    if (handler && handler(window, message)) return 0;
    if (message.id == platform::wm::kDestroy) {
      window.PostQuit(0);
      return 0;
    }
    return window.DefaultProcedure(message);
  }

  // The recorded messages with these ids, in order.
  std::vector<platform::Message> Only(std::initializer_list<std::uint32_t> ids) const {
    std::vector<platform::Message> out;
    for (const platform::Message& m : messages) {
      for (std::uint32_t id : ids) {
        if (m.id == id) out.push_back(m);
      }
    }
    return out;
  }

  void DescribeScreen(std::vector<std::string>& lines) const override {
    lines.insert(lines.end(), screenText.begin(), screenText.end());
  }

  std::vector<platform::Message> messages;
  // What DescribeScreen reports.
  std::vector<std::string> screenText;
  std::function<bool(platform::Window&, const platform::Message&)> handler;
};

}  // namespace testsupport
