#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/ItemRecords.h"
#include "platform/text/Font.h"
#include "ui/ListView.h"
#include "ui/STScreenBuffer.h"
#include "ui/TextImage.h"
#include "ui/ViewMetrics.h"

namespace screens {

// One row of a catalogue list: the kind (for its icon), three text lines and the record it
// shows, which the request that fetched the page owns.
struct CatalogueRow {
  catalogue::ItemKind kind = catalogue::kNoItemKind;
  std::u16string info;      // line 1: artist and album, the item count, the kind
  std::u16string title;     // line 2
  std::u16string location;  // line 3
  const void* source = nullptr;
};

// A record's text slot as shown: its UTF-8 widened.
std::u16string SlotWide(const char (&slot)[catalogue::kTextSlotSize]);
// A CueList's info line: "Cuelist - <item count> total items".
std::u16string CueListInfo(const catalogue::CueListRecord& cueList);

// The list of the search results and featured screens: per row the kind's icon (selected or
// normal), the info line, the bold title and the green location, over the dark band on the
// selected row and the light line on the others; a closing line under a short page. With no
// rows it may show an instruction text. The rendered texts are kept per row shown, so a
// repaint of the same page renders nothing.
class CatalogueList : public ui::ListViewOf<CatalogueRow> {
 public:
  static constexpr platform::Colour kTextColour = 0x790000;
  static constexpr platform::Colour kSelectedTextColour = 0xFFFFFF;
  static constexpr platform::Colour kLocationColour = 0x78B337;
  static constexpr platform::Colour kHintColour = 0x7A0000;

  // The icons of one kind, as relative resource names.
  struct KindIcons {
    catalogue::ItemKind kind;
    const char* selected;
    const char* normal;
  };
  struct Style {
    std::vector<KindIcons> icons;  // loaded in this order
    // The icon whose size places every icon and the texts.
    catalogue::ItemKind sizeKind;
    bool sizeFromSelected;
    // The gap between line 3 and the row's bottom, in QVGA pixels, and whether it grows
    // with the scale factor.
    std::int32_t locationGap;
    bool locationGapScales;
  };

  explicit CatalogueList(Style style) : style_(std::move(style)) {}

  // The View create, then the icons, the selected band and the line strip: 1, 1001 or 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  // The text drawn while the list is empty, per orientation; none by default.
  void SetHint(std::u16string landscape, std::u16string portrait);
  void DrawRows(platform::Canvas& dc) override;

  const CatalogueRow* SelectedRow() const;
  std::int32_t IconWidth() const { return iconWidth_; }
  std::int32_t IconHeight() const { return iconHeight_; }
  // The instruction text of the current orientation.
  const std::u16string& Hint() const { return hint_[ui::Orientation()]; }

 private:
  static constexpr std::size_t kMaxShownRows = 8;
  struct IconPair {
    ui::STScreenBuffer selected;
    ui::STScreenBuffer normal;
  };
  IconPair* IconsOf(catalogue::ItemKind kind);

  Style style_;
  std::array<IconPair, 4> icons_;  // by kind code
  std::int32_t iconWidth_ = 0;
  std::int32_t iconHeight_ = 0;
  std::unique_ptr<platform::Surface> selectedBand_;
  std::unique_ptr<platform::Surface> lineStrip_;
  std::unique_ptr<platform::Font> infoFont_;
  std::unique_ptr<platform::Font> titleFont_;
  std::unique_ptr<platform::Font> locationFont_;
  std::unique_ptr<platform::Font> hintFont_;
  std::u16string hint_[2];
  std::array<std::array<ui::TextImage, 3>, kMaxShownRows> texts_;
};

}  // namespace screens
