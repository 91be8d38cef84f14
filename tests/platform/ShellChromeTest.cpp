#include "platform/window/ShellChrome.h"

#include <gtest/gtest.h>

#include "app/AppResources.h"

namespace {

using platform::Rect;
using platform::ShellChrome;
using platform::Size;

TEST(ShellChromeTest, BarsAreTwentySixPixelsTimesTheScale) {
  struct Case {
    Size screen;
    int scale;
    Rect client;
  } cases[] = {
      {{240, 320}, 1, {0, 26, 240, 294}},
      {{320, 240}, 1, {0, 26, 320, 214}},
      {{480, 640}, 2, {0, 52, 480, 588}},
      {{800, 480}, 2, {0, 52, 800, 428}},
      {{480, 480}, 1, {0, 26, 480, 454}},
  };
  for (const Case& c : cases) {
    ShellChrome chrome;
    chrome.SetScreen(c.screen);
    EXPECT_EQ(chrome.Scale(), c.scale);
    EXPECT_EQ(chrome.ClientArea(), c.client);
    EXPECT_EQ(chrome.SoftKeyBar().bottom, c.screen.height);
  }
}

TEST(ShellChromeTest, MenuKeysSkipSeparatorsAndCloseTheMenuAndThePopupBarHasOnlyCancel) {
  ShellChrome chrome;
  chrome.SetMenuBars(app::VornaloResources().menuBars);
  ASSERT_TRUE(chrome.SetMenuBar(app::kMainMenuBarResource));
  EXPECT_EQ(chrome.PressSoftKey(0), std::optional<std::uint32_t>(32772));
  EXPECT_EQ(chrome.PressSoftKey(1), std::nullopt);
  ASSERT_TRUE(chrome.IsMenuOpen());
  // Up from the first entry wraps to "Exit".
  EXPECT_EQ(chrome.MenuKey(38), std::nullopt);
  EXPECT_EQ(chrome.MenuKey(13), std::optional<std::uint32_t>(40000));
  EXPECT_FALSE(chrome.IsMenuOpen());
  chrome.PressSoftKey(1);
  for (int i = 0; i < 3; ++i) chrome.MenuKey(40);  // past two separators
  EXPECT_EQ(chrome.MenuKey(13), std::optional<std::uint32_t>(40004));
  chrome.PressSoftKey(1);
  chrome.MenuKey(27);
  EXPECT_FALSE(chrome.IsMenuOpen());
  ASSERT_TRUE(chrome.SetMenuBar(app::kPopupMenuBarResource));
  EXPECT_EQ(chrome.PressSoftKey(0), std::optional<std::uint32_t>(40003));
  EXPECT_EQ(chrome.PressSoftKey(1), std::nullopt);
  EXPECT_FALSE(chrome.IsMenuOpen());
  EXPECT_FALSE(chrome.SetMenuBar(999));
  EXPECT_EQ(chrome.MenuBarId(), 0);
  EXPECT_EQ(chrome.PressSoftKey(0), std::nullopt);
}

TEST(ShellChromeTest, MenuEntriesAreTappedByTheirRows) {
  ShellChrome chrome;
  chrome.SetMenuBars(app::VornaloResources().menuBars);
  chrome.SetMenuBar(app::kMainMenuBarResource);
  chrome.PressSoftKey(1);
  Rect menu = chrome.MenuRect();
  ASSERT_FALSE(menu.IsEmpty());
  EXPECT_EQ(menu.bottom, chrome.SoftKeyBar().top);
  EXPECT_EQ(menu.right, 240);
  bool consumed = false;
  // The first row is "Clear Current Playlist".
  EXPECT_EQ(chrome.StylusUp(platform::Point{menu.left + 5, menu.top + 5}, consumed), std::optional<std::uint32_t>(32776));
  EXPECT_TRUE(consumed);
  EXPECT_EQ(chrome.StylusUp(platform::Point{100, 100}, consumed), std::nullopt);
  EXPECT_FALSE(consumed);  // no menu: a client point is the application's
}

}  // namespace
