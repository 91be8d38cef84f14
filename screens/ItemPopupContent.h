#pragma once

#include <cstdint>

#include "catalogue/ItemRef.h"

namespace screens {

// What a screen gives the item popup when one of its rows is activated: the item the popup
// describes and the action entries that apply to it. The item popup implements it.
class ItemPopupContent {
 public:
  virtual ~ItemPopupContent() = default;
  virtual void SetItem(const catalogue::ItemRef& item) = 0;
  virtual void ClearEntries() = 0;
  // An entry that posts `command` (popup, 0) when chosen.
  virtual void AddEntry(const char* text, std::uint32_t command) = 0;
};

}  // namespace screens
