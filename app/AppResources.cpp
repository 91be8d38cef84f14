#include "app/AppResources.h"

namespace app {

namespace {

platform::MenuEntry Entry(const char16_t* label, std::uint32_t command) {
  return platform::MenuEntry{label, command, false};
}
platform::MenuEntry Separator() { return platform::MenuEntry{u"", 0, true}; }

}  // namespace

platform::ShellResources VornaloResources() {
  using platform::SoftKey;
  platform::ShellResources resources;
  resources.menuBars = {
      {kMainMenuBarResource,
       SoftKey{u"New Search", kNewSearchCommand, {}},
       SoftKey{u"Options",
               0,
               {Entry(u"Clear Current Playlist", kClearPlaylistCommand), Separator(),
                Entry(u"Player Skins...", kPlayerSkinsCommand),
                Entry(u"Color Themes... (C key)", kColorThemesCommand), Separator(),
                Entry(u"Help (Launches Browser)...", kHelpCommand), Entry(u"About", kAboutCommand),
                Entry(u"Exit", kExitCommand)}}},
      {kPopupMenuBarResource, SoftKey{u"Cancel", kCancelCommand, {}}, SoftKey{}},
  };
  resources.accelerators = {{'A', kAboutCommand}, {'Q', kExitCommand}};
  resources.exitCommand = kExitCommand;
  return resources;
}

}  // namespace app
