#pragma once

#include <string>
#include <vector>

namespace ui {

// A screen that can say what it shows, as lines of text (UTF-8, one element a line): its
// title strip as "title <text>", texts as "text <text>", list rows, page controls, popup
// entries and fields in the forms the program's script documentation lists. The main window
// asks the screen on top and any open popup for them.
class ScreenText {
 public:
  virtual ~ScreenText() = default;
  virtual void AppendScreenText(std::vector<std::string>& lines) const = 0;
};

}  // namespace ui
