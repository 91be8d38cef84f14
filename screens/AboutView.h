#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Surface.h"
#include "platform/text/Font.h"
#include "ui/View.h"

namespace screens {

// The About picture (the splash picture of the orientation) with the credits and the version
// under it. Keys and taps do nothing.
class AboutView : public ui::View {
 public:
  struct Credit {
    const char16_t* role;
    const char16_t* name;
  };
  static const std::vector<Credit>& Credits();
  // "Version 1.4" and the notice under it.
  static std::u16string VersionLine();
  static const char16_t* Notice();

  // The View create, then the landscape picture and, only if that loaded, the portrait one:
  // 1 when both loaded, 1001 when the last failure was a missing file, else 1002.
  int Create(const platform::Rect rects[2], platform::Window& owner, std::uintptr_t notifyCookie) override;
  bool OnKey(std::uint32_t) override { return false; }
  bool OnTap(std::int32_t, std::int32_t) override { return false; }
  void Paint(platform::Canvas& dc) override;

 private:
  std::unique_ptr<platform::Surface> pictures_[2];
  std::unique_ptr<platform::Font> font_;
};

}  // namespace screens
