// The reference grid's data: columns in collection and display order, the
// group and sort-key lists, and the rows. Its members by name live in
// grid_members.cc.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>

#include <algorithm>
#include <utility>

#include "core/unicode_fold.h"
#include "refgrid/grid_parts.h"

namespace velmora {

ReferenceGrid::ReferenceGrid() : impl_(std::make_unique<Impl>()) {
  impl_->columnsObject = std::make_shared<GridColumns>(this);
  impl_->groups.reset(new GridSortList(this, true));
  impl_->sortKeys.reset(new GridSortList(this, false));
}

ReferenceGrid::~ReferenceGrid() {
  // Clients may still hold a column or a collection; they must not reach
  // back into a grid that is gone.
  for (auto& c : impl_->columns) c->grid_ = nullptr;
  impl_->columnsObject->grid = nullptr;
  impl_->groups->grid_ = nullptr;
  impl_->sortKeys->grid_ = nullptr;
}

std::shared_ptr<ReferenceGrid> ReferenceGrid::create() {
  return std::shared_ptr<ReferenceGrid>(new ReferenceGrid());
}

GridColumn& ReferenceGrid::addColumn(std::string key, std::string caption) {
  if (key.empty()) throw AutomationError(err::kInvalidCall);
  if (findColumn(key) != nullptr) throw AutomationError(err::kDuplicateKey);
  // One allocation holds the column and its reference count: a column found
  // by Key is counted while it is handed out, and the count then sits on
  // the column's own cache lines.
  struct Made : GridColumn {
    Made(ReferenceGrid* grid, std::string key) : GridColumn(grid, std::move(key)) {}
  };
  std::shared_ptr<GridColumn> column = std::make_shared<Made>(this, std::move(key));
  column->caption = std::move(caption);
  column->index_ = static_cast<std::int32_t>(impl_->columns.size()) + 1;
  column->position_ = column->index_;
  impl_->columns.push_back(column);
  impl_->order.push_back(column.get());
  impl_->byKey.insert(FoldedKey(column->key_).hash(), column.get());
  for (auto& row : impl_->rows) row.emplace_back();
  return *column;
}

std::int32_t ReferenceGrid::columnCount() const {
  return static_cast<std::int32_t>(impl_->columns.size());
}

const GridColumn& ReferenceGrid::column(std::int32_t index) const {
  if (index < 1 || index > columnCount()) throw AutomationError(err::kSubscriptOutOfRange);
  return *impl_->columns[static_cast<std::size_t>(index - 1)];
}
GridColumn& ReferenceGrid::column(std::int32_t index) {
  return const_cast<GridColumn&>(std::as_const(*this).column(index));
}

GridColumn* ReferenceGrid::findColumn(std::string_view key) {
  const FoldedKey folded(key);
  GridColumn* const* found =
      impl_->byKey.find(folded.hash(), [&](GridColumn* c) { return folded.matches(c->key_); });
  return found != nullptr ? *found : nullptr;
}

std::vector<GridColumn*> ReferenceGrid::displayOrder() const { return impl_->order; }

void ReferenceGrid::moveColumn(GridColumn& column, std::int32_t position) {
  if (position < 1 || position > columnCount()) {
    throw AutomationError(kInvalidPropertyValue, "Invalid property value");
  }
  auto& order = impl_->order;
  const auto from = static_cast<std::size_t>(column.position_ - 1);
  const auto to = static_cast<std::size_t>(position - 1);
  // A restored layout sets every column's place, nearly all where it is.
  if (from == to) return;
  if (from < to) {
    std::rotate(order.begin() + static_cast<std::ptrdiff_t>(from),
                order.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                order.begin() + static_cast<std::ptrdiff_t>(to) + 1);
  } else if (to < from) {
    std::rotate(order.begin() + static_cast<std::ptrdiff_t>(to),
                order.begin() + static_cast<std::ptrdiff_t>(from),
                order.begin() + static_cast<std::ptrdiff_t>(from) + 1);
  }
  const std::size_t lo = std::min(from, to), hi = std::max(from, to);
  for (std::size_t i = lo; i <= hi; ++i) order[i]->position_ = static_cast<std::int32_t>(i) + 1;
}

GridSortList& ReferenceGrid::groups() { return *impl_->groups; }
GridSortList& ReferenceGrid::sortKeys() { return *impl_->sortKeys; }
const GridSortList& ReferenceGrid::groups() const { return *impl_->groups; }
const GridSortList& ReferenceGrid::sortKeys() const { return *impl_->sortKeys; }

void ReferenceGrid::addRow(std::vector<Variant> cells) {
  if (cells.size() > impl_->columns.size()) throw AutomationError(err::kSubscriptOutOfRange);
  cells.resize(impl_->columns.size());
  impl_->rows.push_back(std::move(cells));
}

std::int32_t ReferenceGrid::rowCount() const {
  return static_cast<std::int32_t>(impl_->rows.size());
}

const Variant& ReferenceGrid::cell(std::int32_t row, std::int32_t index) const {
  if (row < 0 || row >= rowCount() || index < 1 || index > columnCount()) {
    throw AutomationError(err::kSubscriptOutOfRange);
  }
  return impl_->rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(index - 1)];
}

std::string ReferenceGrid::GetClipString(bool WithHeadings) const {
  std::vector<const GridColumn*> shown;
  for (const GridColumn* c : impl_->order) {
    if (c->visible) shown.push_back(c);
  }
  std::string text;
  const auto endRow = [&text] {
    if (!text.empty() && text.back() == '\t') text.pop_back();
    text.append("\r\n");
  };
  if (WithHeadings) {
    for (const GridColumn* c : shown) text.append(c->caption).push_back('\t');
    endRow();
  }
  for (const auto& row : impl_->rows) {
    const std::size_t start = text.size();
    for (const GridColumn* c : shown) {
      const Variant& value = row[static_cast<std::size_t>(c->index_ - 1)];
      if (c->format.empty()) {
        if (const std::string* s = value.getIf<std::string>()) {
          text.append(*s);
        } else {
          text.append(toText(value));
        }
      } else {
        text.append(formatCell(value, c->format));
      }
      text.push_back('\t');
    }
    if (text.size() > start) text.pop_back();
    text.append("\r\n");
  }
  return text;
}

bool GridColumn::isGrouped() const {
  if (grid_ == nullptr) throw AutomationError(err::kObjectNotSet);
  return grid_->groups().refersTo(index_);
}

// --- Groups and sort keys ---

const GridSortItem& GridSortList::item(std::int32_t position) const {
  if (position < 1 || position > count()) throw AutomationError(err::kSubscriptOutOfRange);
  return *items_[static_cast<std::size_t>(position - 1)];
}
GridSortItem& GridSortList::item(std::int32_t position) {
  return const_cast<GridSortItem&>(std::as_const(*this).item(position));
}

GridSortItem& GridSortList::add(std::int16_t colIndex, std::int16_t sortOrder, std::int32_t index) {
  if (grid_ == nullptr) throw AutomationError(err::kObjectNotSet);
  if (colIndex < 1 || colIndex > grid_->columnCount()) {
    throw AutomationError(err::kSubscriptOutOfRange);
  }
  if (grouping_ && refersTo(colIndex)) throw AutomationError(err::kDuplicateKey);
  std::shared_ptr<GridSortItem> item(new GridSortItem(grouping_));
  item->colIndex = colIndex;
  item->sortOrder = sortOrder;
  item->rank_ = index > 0 ? index : 0;
  // Elements added with an Index keep the order of their Indexes; those
  // added without one follow them in the order they came.
  auto at = items_.end();
  if (item->rank_ > 0) {
    at = std::find_if(items_.begin(), items_.end(), [&](const auto& other) {
      return other->rank_ == 0 || other->rank_ > item->rank_;
    });
  }
  const auto from = static_cast<std::size_t>(at - items_.begin());
  items_.insert(at, item);
  renumber(from);
  return *item;
}

void GridSortList::remove(std::int32_t position) {
  if (position < 1 || position > count()) throw AutomationError(err::kSubscriptOutOfRange);
  const auto from = static_cast<std::size_t>(position - 1);
  items_[from]->index_ = 0;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(from));
  renumber(from);
}

bool GridSortList::refersTo(std::int32_t colIndex) const {
  return std::any_of(items_.begin(), items_.end(),
                     [&](const auto& item) { return item->colIndex == colIndex; });
}

void GridSortList::renumber(std::size_t from) {
  for (std::size_t i = from; i < items_.size(); ++i) {
    items_[i]->index_ = static_cast<std::int32_t>(i) + 1;
  }
}

}  // namespace velmora
