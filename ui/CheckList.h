#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/PopupList.h"
#include "ui/TextImage.h"

namespace ui {

// A popup list whose labels start a little to the right, leaving room for a bullet before
// the entry at currentIndex (the one in use: the current theme or skin).
class CheckList : public PopupList {
 public:
  static constexpr char16_t kMark = u'\u2022';

  // Where the bullet and the labels start, QVGA pixels from the text box's left edge.
  static constexpr std::int32_t kMarkX = 1;
  static constexpr std::int32_t kTextX = 10;

  // currentIndex = the first entry whose label is `name` byte for byte, or 0 when none is;
  // "None Selected" stands for the entry "None".
  void MarkCurrent(std::string_view name);

  std::int32_t currentIndex = -1;

 protected:
  std::int32_t LabelIndent() const override;
  void DrawRowMark(platform::Canvas& dc, std::int32_t index, std::int32_t labelTop, const platform::Rect& textRect,
                   platform::Colour colour) override;

 private:
  TextImage mark_;
};

}  // namespace ui
