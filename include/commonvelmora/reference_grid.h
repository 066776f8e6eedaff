// ReferenceGrid: a plain in-memory grid that honours the whole grid object
// contract of the library's grid services (SaveGridSetting,
// RestoreGridSetting, ChangeSorting, GridToClip, SetGridColumnsVisible,
// ChangeColumnCaption). Those services never see a C++ type: they reach a
// grid only by member name through Object::invoke, so any client grid that
// answers the members below works with them. Use this class as the model
// behind your own grid widget, or copy its contract.
//
//   auto grid = ReferenceGrid::create();
//   grid->addColumn("Price", "Price");
//   grid->addRow({Variant(1.5)});
//   Work().GridToClip(ObjectRef(grid), true);   // "Price\r\n1.5\r\n"
//
// The contract, by member name ("get" a property read, "let" an assignment,
// "method" a call; numbers are accepted in any numeric kind; counts,
// positions, indexes and widths come back as 32-bit integers, ColIndex,
// SortOrder and SortType as 16-bit ones):
//
//   grid          Columns          get   ()            the column collection
//                 Columns          get   (position | Key | Index)  a column
//                 Groups, SortKeys get   ([position])  the collection, or one element
//                 GroupByBoxVisible get/let            Boolean
//                 View             get/let             32-bit number, kept as given
//                 GetClipString    method (WithHeadings by reference)  the text below
//   column        Key              get                 text naming the column
//                 Caption          get/let             header text
//                 Width            get/let             32-bit number
//                 ColPosition      get/let             1-based display position
//                 Visible          get/let             Boolean
//                 Index            get                 1-based place in the collection
//                 IsGrouped        get                 Boolean: a group refers to it
//                 Format           get/let             display format text, "" none
//                 SortType         get/let             kind of data (SortKind below)
//                 AddColumn *      method (Key [, Caption])  the new column, shown last
//                 AddRow *         method (cells...)   as addRow()
//                 Description *    get                 describeGrid() of the grid
//   columns       Count get, Item get (position), for-each
//   groups,       Count get, Item get (position), for-each,
//   sort keys     Add method (ColIndex, SortOrder [, Index]), Remove method (position)
//   group,        Index get (1-based place), ColIndex get (a column's Index),
//   sort key      SortOrder get/let
//   (*) not used by the services: they let a client that knows only the
//   names, a script, fill and inspect the grid.
//
// Rules this grid applies where the contract leaves them to the grid:
//   - A number passed to Columns() is both the position in the collection
//     and the column's Index: the two are the same here, so a column found
//     by Index is found again after columns moved on screen (ColPosition).
//   - Key look-ups ignore letter case, as keyed collections do.
//   - Assigning ColPosition p moves the column to display place p and shifts
//     the columns between; p outside 1..Count raises 380.
//   - Add with an Index puts the new element before the first element that
//     was added with a greater Index (elements added without one rank after
//     all that have one, in the order added), so adding saved elements in
//     any order rebuilds the saved order. ColIndex must name a column (9
//     otherwise); a group on a column that is already grouped is refused
//     with 457.
//   - GetClipString gives the visible columns in display order, cells
//     separated by a tab, every row (the headings first when asked) ended
//     by "\r\n". A cell is its value's text, or the value shaped by the
//     column's Format (see formatCell) when it has one.
//   - Unknown members raise 438, wrong argument counts 450, positions out of
//     range 9, values that do not convert 13 or 6, as the runtime does.
//
// Thread-compatible: one thread at a time, like every automation object.
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/object.h>
#include <commonvelmora/variant.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

class ReferenceGrid;
class GridColumn;
class GridColumns;
class GridSortList;

// The sort kinds this grid speaks of in SortType. The grid services treat
// 2 to 5 (numbers, dates, times, currency) as columns whose display format is
// taken off for a copy.
enum class SortKind : std::int16_t {
  kText = 0,
  kTextNoCase = 1,
  kNumber = 2,
  kDate = 3,
  kDateTime = 4,
  kCurrency = 5,
};

// One column; reached by name through invoke(), or directly from C++.
class VELMORA_EXPORT GridColumn : public Object {
 public:
  const std::string& key() const { return key_; }
  std::string caption;
  std::int32_t width = 1000;
  bool visible = true;
  std::string format;
  std::int16_t sortType = 0;

  std::int32_t index() const { return index_; }           // 1-based place in the collection
  std::int32_t colPosition() const { return position_; }  // 1-based display place
  // Members that need the grid raise 91 once the grid is gone.
  bool isGrouped() const;
  void moveTo(std::int32_t position);  // as ReferenceGrid::moveColumn

  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  // Ids for all of the members above, for callers that call many columns.
  MemberId memberId(std::string_view name) const override;
  Variant invokeMember(MemberId id, std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return "Column"; }

 private:
  friend class ReferenceGrid;
  friend class GridColumns;
  GridColumn(ReferenceGrid* grid, std::string key) : grid_(grid), key_(std::move(key)) {}
  ReferenceGrid* grid_;  // the owning grid; cleared when it is destroyed
  std::string key_;
  std::int32_t index_ = 0;
  std::int32_t position_ = 0;
};

// One group or sort key.
class VELMORA_EXPORT GridSortItem : public Object {
 public:
  std::int16_t colIndex = 0;
  std::int16_t sortOrder = 1;
  std::int32_t index() const { return index_; }

  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return grouping_ ? "Group" : "SortKey"; }

 private:
  friend class GridSortList;
  explicit GridSortItem(bool grouping) : grouping_(grouping) {}
  bool grouping_;
  std::int32_t index_ = 0;
  std::int32_t rank_ = 0;  // the Index it was added with, or 0
};

class VELMORA_EXPORT ReferenceGrid : public Object {
 public:
  static constexpr std::string_view kProgId = "CommonVelmora.ReferenceGrid";

  static std::shared_ptr<ReferenceGrid> create();
  ~ReferenceGrid() override;

  // --- Columns, in collection order (Index 1..n) ---
  // Appends a column shown last; raises 457 when the key is taken (letters
  // case ignored) and 5 for an empty key.
  GridColumn& addColumn(std::string key, std::string caption);
  std::int32_t columnCount() const;
  GridColumn& column(std::int32_t index);  // 9 outside 1..columnCount()
  const GridColumn& column(std::int32_t index) const;
  GridColumn* findColumn(std::string_view key);  // null when no column has it
  // The columns in display order (ColPosition 1..n).
  std::vector<GridColumn*> displayOrder() const;
  void moveColumn(GridColumn& column, std::int32_t position);  // 380 outside 1..n

  // The column collection object that Columns hands out.
  ObjectRef columns();

  // --- Groups and sort keys ---
  GridSortList& groups();
  GridSortList& sortKeys();
  const GridSortList& groups() const;
  const GridSortList& sortKeys() const;

  bool groupByBoxVisible = false;
  std::int32_t view = 0;

  // --- Rows: one value per column, in collection order ---
  void addRow(std::vector<Variant> cells);  // missing cells are empty; extra ones 9
  std::int32_t rowCount() const;
  const Variant& cell(std::int32_t row, std::int32_t index) const;  // row from 0

  std::string GetClipString(bool WithHeadings) const;

  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  MemberId memberId(std::string_view name) const override;  // as GridColumn's
  Variant invokeMember(MemberId id, std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return "ReferenceGrid"; }
  std::string_view progId() const override { return kProgId; }

 private:
  friend class GridColumn;
  friend class GridColumns;
  ReferenceGrid();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The group or sort-key collection of a grid.
class VELMORA_EXPORT GridSortList : public Object {
 public:
  std::int32_t count() const { return static_cast<std::int32_t>(items_.size()); }
  GridSortItem& item(std::int32_t position);  // 9 outside 1..count()
  const GridSortItem& item(std::int32_t position) const;
  // Adds by the rule in the header comment; `index` 0 means none given.
  GridSortItem& add(std::int16_t colIndex, std::int16_t sortOrder, std::int32_t index = 0);
  void remove(std::int32_t position);  // 9 outside 1..count()
  bool refersTo(std::int32_t colIndex) const;

  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::unique_ptr<Enumerator> newEnum() override;
  std::string typeName() const override { return grouping_ ? "Groups" : "SortKeys"; }

 private:
  friend class ReferenceGrid;
  GridSortList(ReferenceGrid* grid, bool grouping) : grid_(grid), grouping_(grouping) {}
  void renumber(std::size_t from);
  ReferenceGrid* grid_;  // cleared when the grid is destroyed
  bool grouping_;
  std::vector<std::shared_ptr<GridSortItem>> items_;
};

// A cell's text under a display format. Numbers (and text that reads as
// one): "0", "0.00", "#,##0.00",
// with "%" scaling by 100; dates: the date letters of formatDate()
// ("yyyy-mm-dd", "dd.mm.yyyy hh:nn"); any other value, or a format this
// grid does not know, gives the value's plain text.
VELMORA_EXPORT std::string formatCell(const Variant& value, std::string_view format);

// --- The grid description text, shared by the tool's grid commands ---
//
// One item per line; blank lines and lines starting with "#" are skipped.
// Words are separated by blanks; a word with blanks is written in double
// quotes, with \" and \\ inside.
//
//   grid groupbybox=true view=2
//   column Price caption="Unit price" width=900 position=2 visible=true format=0.00 sorttype=2
//   column Qty
//   group Price order=1
//   sortkey Qty order=-1
//   row 12.5 3
//
// `column KEY` adds a column (caption defaults to the key; display position
// to the order of the lines, then `position=` moves it); `group KEY` and
// `sortkey KEY` add one on that column with `order=` (default 1); `row`
// gives one cell per column in collection order, read as numbers for the
// number and currency kinds and as dates for the date kinds. A line the
// format does not know raises 321 with its line number in the description.
VELMORA_EXPORT std::shared_ptr<ReferenceGrid> loadGridDescription(std::string_view text);
// The grid as a description (without rows) that loadGridDescription reads
// back to the same layout: columns in collection order with all their
// settings, then groups and sort keys in collection order.
VELMORA_EXPORT std::string describeGrid(const ReferenceGrid& grid);

}  // namespace velmora
