#include "screens/ItemPopup.h"

#include <cstdio>
#include <iterator>

#include "platform/TextCodec.h"
#include "screens/WindowMessages.h"
#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// QVGA rectangles and points (landscape, portrait).
constexpr platform::Rect kPanelRects[2] = {{0, 0, 320, 189}, {0, 0, 240, 268}};
constexpr platform::Rect kListRects[2] = {{12, 70, 308, 165}, {12, 129, 228, 227}};
constexpr platform::Point kIconPos[2] = {{10, 15}, {97, 9}};

std::u16string Wide(const char (&slot)[catalogue::kTextSlotSize]) { return platform::Utf8ToUtf16(catalogue::SlotText(slot)); }

}  // namespace

const char* const ItemPopup::kIcons[3] = {"\\popup_panel\\Panel_Floating_AudioCue_Icon.png",
                                          "\\popup_panel\\Panel_Floating_CueList_Icon.png",
                                          "\\popup_panel\\Panel_Floating_WikipediaCue_Icon.png"};

int ItemPopup::Create(platform::Window& owner) {
  int result = CreatePanel(owner, kPanelRects, "\\popup_panel\\Horizontal_PopUp_Panel.png",
                           "\\popup_panel\\Vertical_PopUp_Panel.png");
  for (const char* icon : kIcons) {
    if (result == 1) result = panel_.AddIcon(icon);
  }
  return result == 1 ? CreateList(owner, kListRects, kIconPos) : result;
}

void ItemPopup::SetItem(const catalogue::ItemRef& item) {
  panel_.iconIndex = static_cast<std::size_t>(item.kind() - 1);
  if (const catalogue::AudioCueRecord* audio = item.audioCue()) {
    panel_.SetTexts(u"AudioCue", Wide(audio->creator) + u" - " + Wide(audio->album), Wide(audio->title),
                    Wide(audio->location));
  } else if (const catalogue::CueListRecord* cueList = item.cueList()) {
    char count[32];
    std::snprintf(count, sizeof count, "%ld total items", static_cast<long>(cueList->item_count));
    panel_.SetTexts(u"CueList", platform::Utf8ToUtf16(count), Wide(cueList->title), Wide(cueList->location));
  } else if (const catalogue::TextCueRecord* text = item.textCue()) {
    panel_.SetTexts(u"TextCue", u"Wikipedia article", Wide(text->title), Wide(text->location));
  }
  list_.selected = 0;
  panel_.Compose();
  needsCompose_ = false;
}

void ItemPopup::ClearEntries() { list_.ClearItems(); }

void ItemPopup::Clear() {
  ClearEntries();
  panel_.SetTexts(u"", u"", u"", u"");
  panel_.iconIndex = std::size(kIcons);
  needsCompose_ = true;
}

void ItemPopup::AddEntry(const char* text, std::uint32_t command) { list_.AddEntry(text, command, 0); }

void ItemPopup::Show() {
  if (window) window->SetMenuBar(menubar::kPopup);
  ComposeIfNeeded();
  ShowControls();
}

void ItemPopup::Paint(platform::Canvas& dc, bool, std::uint32_t layers) {
  if (!active) return;
  ComposeIfNeeded();
  if (layers & kLayerSecondary) panel_.Draw(dc);
  list_.Draw(dc);
}

std::intptr_t ItemPopup::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case msg::kThemeChanged:
    case msg::kLayoutChanged:
      Invalidate();
      break;
    case ui::msg::kNextPageByKey:
      list_.NextRows();
      Repaint(kLayerMain);
      break;
    case ui::msg::kPreviousPageByKey:
      list_.PreviousRows();
      Repaint(kLayerMain);
      break;
    default:
      break;
  }
  return 0;
}

bool ItemPopup::OnTap(std::int32_t x, std::int32_t y) { return list_.OnTap(x, y); }

void ItemPopup::AppendScreenText(std::vector<std::string>& lines) const {
  for (int i = 0; i < ui::ItemInfoPanel::kLines; ++i) lines.push_back("text " + platform::Utf16ToUtf8(panel_.Line(i)));
  AppendEntryLines(list_, -1, lines);
}

void AppendEntryLines(const ui::PopupList& list, std::int32_t currentIndex, std::vector<std::string>& lines) {
  const std::int32_t rows = list.rowsPerPage[ui::Orientation()];
  for (std::int32_t i = list.firstRow; i < list.Count() && i < list.firstRow + rows; ++i) {
    lines.push_back("entry " + std::to_string(i) + (i == list.selected ? " selected" : "") +
                    (i == currentIndex ? " current " : " ") + list.items[static_cast<std::size_t>(i)]->text);
  }
}

}  // namespace screens
