#include "platform/window/MenuResources.h"

#include "platform/window/Messages.h"

namespace platform {
namespace {

MenuEntry Entry(const char16_t* label, std::uint32_t command) { return MenuEntry{label, command, false}; }
MenuEntry Separator() { return MenuEntry{u"", 0, true}; }

const std::vector<MenuBarResource>& Resources() {
  static const std::vector<MenuBarResource> resources = {
      {kMainMenuBarResource,
       SoftKey{u"New Search", kNewSearchCommand, {}},
       SoftKey{u"Options",
               0,
               {Entry(u"Clear Current Playlist", 32776), Separator(),
                Entry(u"Player Skins...", 32774), Entry(u"Color Themes... (C key)", 32775),
                Separator(), Entry(u"Help (Launches Browser)...", 40004), Entry(u"About", 40002),
                Entry(u"Exit", 40000)}}},
      {kPopupMenuBarResource, SoftKey{u"Cancel", kCancelCommand, {}}, SoftKey{}},
  };
  return resources;
}

}  // namespace

const MenuBarResource* FindMenuBarResource(int id) {
  for (const MenuBarResource& resource : Resources()) {
    if (resource.id == id) return &resource;
  }
  return nullptr;
}

}  // namespace platform
