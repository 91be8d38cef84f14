#pragma once

#include <array>
#include <memory>

#include "platform/text/Font.h"
#include "ui/ListView.h"
#include "ui/MenuEntry.h"
#include "ui/TextImage.h"

namespace ui {

// The menu entries of a popup, paged inside the control: firstRow is the entry in the top
// row, and at most rowsPerPage entries show. The selected entry is white over a dark band,
// the others black over a light line. Enter or a tap posts the chosen entry's command
// (cookie, value). The list owns its entries; owners usually set noBackground.
class PopupList : public ListViewOf<std::unique_ptr<MenuEntry>> {
 public:
  static constexpr platform::Colour kSelectedTextColour = 0xFFFFFF;
  static constexpr platform::Colour kTextColour = 0x000000;

  // The View create, then the selected band and the line strip: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // Makes an entry (label cut to fit, value 0 unless given) and appends it.
  void AddEntry(const char* text, std::uint32_t command, std::uint32_t value = 0);
  // Empties the list and returns to its first row.
  void ClearItems() override;
  // One page on (when there is a next page: the selection moves to its top) or back.
  void NextRows();
  void PreviousRows();
  void DrawRows(platform::Canvas& dc) override;

  // The height of "X" in the list's font.
  std::int32_t TextHeight() const { return textHeight_; }
  // The box labels are clipped to in the current orientation.
  platform::Rect TextRect() const;

 protected:
  void Activate() override;
  // Where a row's label starts, from the text box's left edge (0 here).
  virtual std::int32_t LabelIndent() const { return 0; }
  // Draws whatever a row shows beside its label, in the label's colour and font, with the
  // label's top at labelTop; nothing here.
  virtual void DrawRowMark(platform::Canvas&, std::int32_t /*index*/, std::int32_t /*labelTop*/,
                           const platform::Rect& /*textRect*/, platform::Colour) {}
  const platform::Font* ListFont() const { return font_.get(); }

 private:
  static constexpr std::size_t kMaxShownRows = 8;

  std::unique_ptr<platform::Surface> selectedBand_;
  std::unique_ptr<platform::Surface> lineStrip_;
  std::unique_ptr<platform::Font> font_;
  std::int32_t textHeight_ = 0;
  std::array<TextImage, kMaxShownRows> labels_;  // one per row shown
};

}  // namespace ui
