#include "screens/PopupKeys.h"

#include "ui/ViewMetrics.h"

namespace screens {

PopupKeyResult MovePopupSelection(ui::PopupList& list, std::uint32_t virtualKey) {
  if (!list.OnKey(virtualKey)) return PopupKeyResult::kNotConsumed;
  const std::int32_t rows = list.rowsPerPage[ui::Orientation()];
  if (list.selected < list.firstRow) {
    list.PreviousRows();
  } else if (list.selected >= list.firstRow + rows) {
    list.NextRows();
  } else {
    return PopupKeyResult::kMoved;
  }
  return PopupKeyResult::kPaged;
}

}  // namespace screens
