#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/Window.h"
#include "tools/gallery/SampleList.h"
#include "ui/InfoPanel.h"
#include "ui/ItemInfoPanel.h"
#include "ui/PageControl.h"
#include "ui/PopupList.h"
#include "ui/TabBar.h"
#include "ui/TextField.h"
#include "ui/TitleStrip.h"

namespace gallery {

// The toolkit's controls over the real artwork with sample content, one scene at a time:
//   list     tab bar, title strip, a paged list of 7 rows and its page control
//   tabs     the tab bar four times, each with another tab selected (and its focus mark)
//   item     the item popup: an item info panel and its entries over the list scene
//   themes   a list popup: an info panel, a page control and a paged entry list
//   search   the new-search panel: an info panel, the query field and its entries
// Tab moves to the next scene; taps and keys go to the scene's controls; "c" changes the
// theme colour; Ctrl+R rotates. What the controls post is logged on standard output.
class Gallery : public platform::WindowProcedure {
 public:
  enum class Scene { kList, kTabs, kItem, kThemes, kSearch };
  static bool ParseScene(const std::string& name, Scene& scene);

  explicit Gallery(Scene first) : scene_(first) {}
  std::intptr_t OnMessage(platform::Window& window, const platform::Message& message) override;

 private:
  int CreateControls(platform::Window& window);
  void Paint(platform::Window& window);
  void PaintBase(platform::Canvas& dc);
  void PaintTabs(platform::Canvas& dc);
  void ShowScene(platform::Window& window, Scene scene);
  void FillListPage();
  void TurnPage(bool next, bool byKey);
  void OnKey(platform::Window& window, std::uint32_t key);
  void OnTap(platform::Window& window, std::int32_t x, std::int32_t y);
  void OnPosted(platform::Window& window, const platform::Message& message);
  ui::PopupList* SceneList();
  platform::Colour Theme() const;
  void Log(const std::string& line) const;

  Scene scene_;
  bool ready_ = false;
  bool needsCompose_ = true;
  std::size_t theme_ = 4;
  std::int32_t penX_ = 0, penY_ = 0;
  std::int32_t pageOffset_ = 0;
  std::vector<SampleRow> rows_;

  ui::TabBar bar_;
  ui::TitleStrip title_;
  SampleList list_;
  ui::PageControl page_;
  ui::ItemInfoPanel itemPanel_;
  ui::PopupList itemList_;
  ui::InfoPanel themePanel_;
  ui::PageControl themePage_;
  ui::PopupList themeList_;
  ui::InfoPanel searchPanel_;
  ui::TextField field_;
  ui::PopupList searchList_;
};

}  // namespace gallery
