// The routines behind the grid windows: the column chooser and the caption
// dialog, each the calling thread's own (grid/forms_state.h).
#include <commonvelmora/convert.h>

#include <string>
#include <utility>

#include "core/ignore_errors.h"
#include "grid/forms_state.h"
#include "grid/grid_working.h"

namespace velmora::grid {

FormsState& formsState() {
  thread_local FormsState state;
  return state;
}

void SetGridColumnsVisible(const ObjectRef& table, std::string regKey) noexcept {
  (void)formsState().columns.frmActivate(table, std::move(regKey));
}

void ChangeColumnCaption(const ObjectRef& column) noexcept {
  if (column == nullptr) return;
  // A caption that cannot be read opens the dialog empty; one that cannot
  // be written leaves the old caption.
  std::string oldCaption;
  ignoreErrors([&] { oldCaption = toText(column->get("Caption")); });
  std::string newCaption;
  if (!formsState().caption.ChangeColumn(std::move(oldCaption), newCaption)) return;
  ignoreErrors([&] { column->let("Caption", Variant(std::move(newCaption))); });
}

}  // namespace velmora::grid
