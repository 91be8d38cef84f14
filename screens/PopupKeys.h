#pragma once

#include <cstdint>

#include "ui/PopupList.h"

namespace screens {

// What Up or Down did to a popup's list.
enum class PopupKeyResult {
  kNotConsumed,  // the list did not take the key: nothing to draw
  kMoved,        // the selection moved within the rows shown: redraw the list
  kPaged,        // the selection left the rows shown and the list turned a page: redraw all
};

// The Up / Down rule every popup shares: the list moves its selection; when the selection
// has left the rows shown the list turns a page towards it.
PopupKeyResult MovePopupSelection(ui::PopupList& list, std::uint32_t virtualKey);

}  // namespace screens
