#include "screens/NewSearchPanel.h"

#include "platform/TextCodec.h"
#include "screens/WindowMessages.h"
#include "ui/ControlMessages.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// QVGA rectangles (landscape, portrait).
constexpr platform::Rect kPanelRects[2] = {{0, 0, 320, 189}, {0, 0, 240, 268}};
constexpr platform::Rect kPageRects[2] = {{110, 46, 305, 86}, {110, 44, 305, 233}};
constexpr platform::Rect kFieldRects[2] = {{56, 47, 305, 85}, {16, 81, 226, 119}};
constexpr platform::Rect kListRects[2] = {{12, 95, 308, 165}, {12, 129, 228, 227}};
constexpr platform::Point kIconPos[2] = {{9, 25}, {97, 8}};
constexpr std::int32_t kListRows[2] = {3, 4};

}  // namespace

const NewSearchPanel::Entry NewSearchPanel::kEntries[4] = {
    {"Search: All Results", 7}, {"Search: AudioCues", 1}, {"Search: CueLists", 2}, {"Search: TextCues", 4}};

int NewSearchPanel::Create(platform::Window& owner) {
  int result = CreatePanel(owner, kPanelRects, "\\popup_panel\\Horizontal_NewSearch_PopUp_Panel.png",
                           "\\popup_panel\\Vertical_NewSearch_PopUp_Panel.png");
  if (result == 1) result = CreatePageControl(pageControl_, owner, kPageRects);
  if (result != 1) return result;
  pageControl_.currentPage = 0;
  for (int o = 0; o < 2; ++o) {
    list_.rowsPerPage[o] = kListRows[o];
    pageControl_.rowsPerPage[o] = kListRows[o];
  }
  platform::Rect rects[2];
  ui::ScaleRects(kFieldRects, rects);
  result = textField_.Create(rects, owner, Cookie());
  if (result == 1) result = CreateList(owner, kListRects, kIconPos);
  return result == 1 ? panel_.AddIcon("\\popup_panel\\New_Search_MagGlass_Icon.png") : result;
}

void NewSearchPanel::Fill() {
  ClearEntries();
  panel_.SetTexts(u"New Search", u"Enter a Song or Artist:", u"");
  for (const Entry& entry : kEntries) AddEntry(entry.text, msg::kSearchChosen, entry.kinds);
  Prepare();
}

void NewSearchPanel::ClearEntries() {
  const std::int32_t selected = list_.selected, firstRow = list_.firstRow;
  list_.ClearItems();
  list_.selected = selected;
  list_.firstRow = firstRow;
}

void NewSearchPanel::AddEntry(const char* text, std::uint32_t command, std::uint32_t value) {
  list_.AddEntry(text, command, value);
  pageControl_.itemCount = list_.Count();
}

void NewSearchPanel::Prepare() {
  if (firstPrepare_) {
    firstPrepare_ = false;
    list_.selected = 0;
  }
  pageControl_.currentPage = 0;
  pageControl_.itemCount = 0;
  panel_.Compose();
  needsCompose_ = false;
}

std::u16string NewSearchPanel::Query() const {
  if (!textField_.edit) return std::u16string();
  return textField_.edit->Text().substr(0, kMaxQueryRead);
}

void NewSearchPanel::Paint(platform::Canvas& dc, bool force, std::uint32_t layers) {
  PopupScreen::Paint(dc, force, layers);
  if (!active) return;
  // The field's picture is semi-transparent: without the panel drawn first, the panel's
  // picture goes back under it, so that it never blends over itself.
  if (!(layers & kLayerSecondary)) panel_.PaintArea(dc, textField_.CurrentRect());
  textField_.Draw(dc);
}

void NewSearchPanel::Invalidate() {
  needsCompose_ = true;
  textField_.Reposition();
}

std::intptr_t NewSearchPanel::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case msg::kThemeChanged:
      needsCompose_ = true;
      break;
    case msg::kLayoutChanged:
      Invalidate();
      break;
    case ui::msg::kQueryEntered:
      list_.OnKey(platform::vk::kReturn);
      break;
    case ui::msg::kItemActivated:
      textField_.OnKey(platform::vk::kReturn);
      break;
    case ui::msg::kNextPageByKey:
    case ui::msg::kPreviousPageByKey: {
      if (message == ui::msg::kNextPageByKey) {
        list_.NextRows();
      } else {
        list_.PreviousRows();
      }
      const std::int32_t rows = list_.rowsPerPage[ui::Orientation()];
      pageControl_.currentPage = list_.firstRow / rows;
      if (window) {
        platform::Canvas dc = window->GetDC();
        pageControl_.Draw(dc);
        list_.Draw(dc);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

bool NewSearchPanel::OnTap(std::int32_t x, std::int32_t y) { return list_.OnTap(x, y); }

void NewSearchPanel::AppendScreenText(std::vector<std::string>& lines) const {
  lines.push_back("title " + platform::Utf16ToUtf8(panel_.Line(0)));
  lines.push_back("text " + platform::Utf16ToUtf8(panel_.Line(1)));
  lines.push_back("field " + (textField_.edit ? platform::Utf16ToUtf8(textField_.edit->Text()) : std::string()));
  const std::int32_t rows = list_.rowsPerPage[ui::Orientation()];
  for (std::int32_t i = list_.firstRow; i < list_.Count() && i < list_.firstRow + rows; ++i) {
    lines.push_back("entry " + std::to_string(i) + (i == list_.selected ? " selected " : " ") +
                    list_.items[static_cast<std::size_t>(i)]->text);
  }
}

}  // namespace screens
