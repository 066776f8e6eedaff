// GridWorking: what the library does to a client's grid. The grid is any
// object that answers the grid object contract by member name (documented
// with the reference grid in <commonvelmora/reference_grid.h>); nothing here
// knows its C++ type.
//
// Layouts are kept below the suite's root plus the caller's key R:
//   R\Columns   one value per column, named by its Key:  Caption|Width|ColPosition|Visible
//   R\Groups    one value per group, named by its Index:  ColIndex|SortOrder
//   R\SortKeys  one value per sort key, the same way
//   R           "GroupByBox Visible" and "View" (written, never read back)
// Records are joined by "|" without escaping, so a caption holding "|"
// shifts its fields, and a caption starting with "&h" spoils the read of
// the whole Columns key: both are kept that way, as layouts already stored
// depend on the form.
#pragma once

#include <commonvelmora/object.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {
class Clipboard;
}

namespace velmora::grid {

// The value name of the grid's View beside "GroupByBox Visible".
inline constexpr std::string_view kViewValueName = "View";

// Writes the grid's layout under R. Catches nothing: the first failure of
// the grid or of the store ends the save and reaches the caller, and what
// was written before it stays. Columns are overwritten by Key (values of
// columns no longer in the grid stay); groups and sort keys are rewritten
// whole.
void SaveGridSetting(const ObjectRef& grid, std::string_view keyString);

// Brings back the columns' places, captions, widths and visibility, then
// adds the stored groups and sort keys (last stored first). Never raises:
// each step and each assignment that fails is skipped on its own.
void RestoreGridSetting(const ObjectRef& grid, std::string_view keyString) noexcept;

// Sorts the grid by `column` with `sortOrder` (0: not sorted by it) through
// the column's group when the grid is grouped by it, else its first sort
// key, which is changed in place, removed (0) or added. Never raises.
void ChangeSorting(std::int16_t sortOrder, const ObjectRef& table,
                   const ObjectRef& column) noexcept;

// Opens this thread's column chooser on `table` and returns once the user
// has closed it; ticks show and hide the columns at once. With a key K the
// window's place is kept under "K\Columns Window" (frm_columns.h). Where no
// window can be shown it does nothing. Never raises.
void SetGridColumnsVisible(const ObjectRef& table, std::string regKey) noexcept;

// Lets the user rename `column` in this thread's caption dialog: a caption
// confirmed with Ok is written to the column's Caption, anything else
// leaves it. Nothing for Nothing, or where no window can be shown. Never
// raises.
void ChangeColumnCaption(const ObjectRef& column) noexcept;

// Puts the grid's GetClipString(withHeadings) on the clipboard as text,
// with the formats of number, date and currency columns (sort types 2 to 5)
// taken off for the copy and put back after it. A failed copy is logged as
// "Error Copy Data From Grid " and the failure, and still gives true; false
// only when `grid` is no object. Never raises.
bool GridToClip(const ObjectRef& grid, bool withHeadings) noexcept;
bool GridToClip(const ObjectRef& grid, bool withHeadings, Clipboard& clipboard) noexcept;

}  // namespace velmora::grid
