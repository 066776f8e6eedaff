// Copying a grid to the clipboard as text, without the display formats of
// its number, date and currency columns.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <string>
#include <utility>
#include <vector>

#include "core/ignore_errors.h"
#include "grid/grid_access.h"
#include "grid/grid_working.h"
#include "logging/log_options.h"
#include "platform/clipboard.h"

namespace velmora::grid {
namespace {

// A format taken off for the copy: the column's Index and its format.
struct Stashed {
  Variant index;
  Variant format;
};

// The sort types whose columns are copied without their format: the grid's
// kinds for numbers, dates, times and currency.
bool copiedPlain(const Variant& sortType) {
  const double t = toDouble(sortType);
  return t == 2 || t == 3 || t == 4 || t == 5;
}

std::vector<Stashed> stashFormats(Object& grid) {
  std::vector<Stashed> stash;
  std::int32_t n = 0;
  ignoreErrors([&] { n = toInt32(objectOf(grid.get("Columns"))->get("Count")); });
  for (std::int32_t p = 1; p <= n && p > 0; ++p) {
    ignoreErrors([&] {
      if (toText(objectOf(grid.get("Columns", {Variant(p)}))->get("Format")).empty()) return;
      ObjectRef columns = objectOf(grid.get("Columns"));
      if (!copiedPlain(objectOf(columns->get("Item", {Variant(p)}))->get("SortType"))) return;
      ObjectRef column = objectOf(grid.get("Columns", {Variant(p)}));
      stash.push_back({column->get("Index"), column->get("Format")});
      column->let("Format", Variant(""));
    });
  }
  return stash;
}

void copyText(Object& grid, bool withHeadings, Clipboard& clipboard) {
  Variant headings = withHeadings;  // passed by reference, as the grid expects
  Variant args[] = {headings};
  const std::string text = toText(grid.invoke("GetClipString", CallKind::Method, args));
  clipboard.clear();
  clipboard.setText(text);
}

}  // namespace

bool GridToClip(const ObjectRef& grid, bool withHeadings, Clipboard& clipboard) noexcept {
  if (grid == nullptr) return false;
  try {
    const std::vector<Stashed> stash = stashFormats(*grid);
    // The formats go back whatever happens to the copy.
    ignoreErrors([&] {
      try {
        copyText(*grid, withHeadings, clipboard);
      } catch (const AutomationError& e) {
        (void)logging::StoreErrorToLog(e.number(), "Error Copy Data From Grid " + e.description());
      } catch (...) {
        const AutomationError e(err::kInvalidCall);
        (void)logging::StoreErrorToLog(e.number(), "Error Copy Data From Grid " + e.description());
      }
    });
    for (const Stashed& s : stash) {
      ignoreErrors([&] { objectOf(grid->get("Columns", {s.index}))->let("Format", s.format); });
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool GridToClip(const ObjectRef& grid, bool withHeadings) noexcept {
  if (grid == nullptr) return false;
  try {
    return GridToClip(grid, withHeadings, defaultClipboard());
  } catch (...) {
    return false;
  }
}

}  // namespace velmora::grid
