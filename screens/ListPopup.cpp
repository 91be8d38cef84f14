#include "screens/ListPopup.h"

#include "core/AppSettings.h"
#include "platform/TextCodec.h"
#include "screens/ItemPopup.h"
#include "screens/SkinFolder.h"
#include "screens/WindowMessages.h"
#include "ui/ControlMessages.h"
#include "ui/ResourcePaths.h"
#include "ui/ViewMetrics.h"

namespace screens {
namespace {

// QVGA rectangles and points (landscape, portrait).
constexpr platform::Rect kPanelRects[2] = {{0, 0, 320, 189}, {0, 0, 240, 268}};
constexpr platform::Rect kPageRects[2] = {{46, 46, 307, 69}, {12, 102, 222, 122}};
constexpr platform::Rect kListRects[2] = {{12, 70, 308, 165}, {12, 129, 228, 244}};
constexpr platform::Point kIconPos[2] = {{10, 15}, {95, 8}};
constexpr std::int32_t kRowsPerPage[2] = {4, 5};
// The sample shown for a theme index outside the ten.
constexpr int kFallbackSample = 3;
constexpr const char* kNoSkinName = "None Selected";

}  // namespace

const ListPopup::Theme ListPopup::kThemes[10] = {
    {"Basic Black", "\\misc_resources\\Black_Color_Sample_Icon.png"},
    {"Titanium Gray", "\\misc_resources\\Titanium_Color_Sample_Icon.png"},
    {"Modernist White", "\\misc_resources\\White_Color_Sample_Icon.png"},
    {"Wild Purple", "\\misc_resources\\Purple_Color_Sample_Icon.png"},
    {"Jazzy Blue", "\\misc_resources\\Blue_Color_Sample_Icon.png"},
    {"Go-Go Green", "\\misc_resources\\Green_Color_Sample_Icon.png"},
    {"Electric Yellow", "\\misc_resources\\Yellow_Color_Sample_Icon.png"},
    {"Juicy Orange", "\\misc_resources\\Orange_Color_Sample_Icon.png"},
    {"RPM Red", "\\misc_resources\\Red_Color_Sample_Icon.png"},
    {"Gothic Magenta", "\\misc_resources\\Magenta_Color_Sample_Icon.png"},
};

int ListPopup::Create(platform::Window& owner) {
  int result = CreatePanel(owner, kPanelRects, "\\popup_panel\\Horizontal_PopUp_Panel.png",
                           "\\popup_panel\\Vertical_PopUp_Panel.png");
  if (result == 1) result = CreatePageControl(pageControl_, owner, kPageRects);
  if (result != 1) return result;
  pageControl_.SetColors(ui::PageControl::kCountColours, {0x000000, 0x000000});
  pageControl_.SetColors(ui::PageControl::kButtonColours, {0x000000, 0xFFFFFF});
  for (int o = 0; o < 2; ++o) {
    list_.rowsPerPage[o] = kRowsPerPage[o];
    pageControl_.rowsPerPage[o] = kRowsPerPage[o];
  }
  return CreateList(owner, kListRects, kIconPos);
}

void ListPopup::FillThemes(const core::AppSettings& settings) {
  const std::uint32_t theme = settings.overlayColor;
  const char* name = theme < core::AppSettings::kThemeCount ? settings.themeNames[theme] : "";
  SetTexts(u"Background Color Theme", u"Currently Selected:", platform::Utf8ToUtf16(name));
  ClearEntries();
  SetIcon(kThemes[theme < core::AppSettings::kThemeCount ? theme : kFallbackSample].sampleIcon);
  Prepare();
  for (int i = 0; i < core::AppSettings::kThemeCount; ++i) AddEntry(kThemes[i].name, msg::kThemeChosen, i);
  MarkCurrent(name);
}

void ListPopup::FillSkins(const core::AppSettings& settings, const std::string& skinsFolder,
                          std::vector<std::u16string>& skinNames) {
  ClearEntries();
  std::string name = ui::NarrowPath(settings.currentSkinName);
  if (name.empty()) {
    name = kNoSkinName;
    SetIcon("\\player\\missing_tn.png");
  } else {
    SetIcon(("\\player\\skins\\" + name + "_tn.png").c_str());
  }
  SetTexts(u"Player Skins", u"Currently Selected:", ui::WidenPath(name));
  skinNames = FindSkins(skinsFolder);
  AddEntry("None", msg::kSkinChosen, -1);
  for (std::size_t i = 0; i < skinNames.size(); ++i) {
    std::u16string& skin = skinNames[i];
    const std::size_t at = skin.find(kSkinThumbnailSuffix);
    if (at == std::u16string::npos) continue;
    // The list keeps the bare name: it is what a pick stores as the current skin.
    skin.resize(at);
    AddEntry(skin, msg::kSkinChosen, static_cast<std::int32_t>(i));
  }
  MarkCurrent(name);
  Prepare();
}

void ListPopup::SetTexts(std::u16string_view line1, std::u16string_view line2, std::u16string_view line3) {
  panel_.SetTexts(line1, line2, line3);
}

void ListPopup::ClearEntries() {
  list_.ClearItems();
  pageControl_.currentPage = 0;
  pageControl_.itemCount = 0;
}

void ListPopup::SetIcon(const char* name) {
  panel_.SetIcon(name);
  panel_.iconIndex = 0;
}

void ListPopup::AddEntry(const char* text, std::uint32_t command, std::int32_t value) {
  list_.AddEntry(text, command, static_cast<std::uint32_t>(value));
  pageControl_.itemCount = list_.Count();
}

void ListPopup::AddEntry(std::u16string_view text, std::uint32_t command, std::int32_t value) {
  AddEntry(ui::NarrowPath(text).c_str(), command, value);
}

void ListPopup::Prepare() {
  list_.selected = 0;
  panel_.Compose();
  needsCompose_ = false;
}

void ListPopup::TurnPage(bool next, bool keepRow) {
  const std::int32_t rows = list_.rowsPerPage[ui::Orientation()];
  const std::int32_t row = list_.selected - list_.firstRow;
  if (next) {
    list_.NextRows();
    pageControl_.FlashButton(ui::PageControl::kFlashNext);
  } else {
    if (pageControl_.currentPage == 0) return;
    list_.PreviousRows();
    pageControl_.FlashButton(ui::PageControl::kFlashPrevious);
  }
  pageControl_.currentPage = list_.firstRow / rows;
  if (keepRow) list_.selected = list_.firstRow + row;
  else if (next) list_.selected = list_.firstRow;
  Repaint(kLayerAll);
}

std::intptr_t ListPopup::OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) {
  switch (message) {
    case msg::kThemeChanged:
    case msg::kLayoutChanged:
      Invalidate();
      break;
    case ui::msg::kNextPageByKey:
    case ui::msg::kNextPageButton:
      TurnPage(true, message == ui::msg::kNextPageButton);
      break;
    case ui::msg::kPreviousPageByKey:
    case ui::msg::kPreviousPageButton:
      TurnPage(false, message == ui::msg::kPreviousPageButton);
      break;
    default:
      break;
  }
  return 0;
}

bool ListPopup::OnTap(std::int32_t x, std::int32_t y) {
  if (pageControl_.OnTap(x, y)) return true;
  return list_.OnTap(x, y);
}

void ListPopup::AppendScreenText(std::vector<std::string>& lines) const {
  for (int i = 0; i < ui::InfoPanel::kLines; ++i) lines.push_back("text " + platform::Utf16ToUtf8(panel_.Line(i)));
  lines.push_back("page Page " + std::to_string(pageControl_.currentPage + 1) + " / " +
                  std::to_string(pageControl_.PageCount()) + " | " + std::to_string(pageControl_.itemCount) +
                  " items");
  AppendEntryLines(list_, list_.currentIndex, lines);
}

}  // namespace screens
