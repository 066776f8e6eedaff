// The reference grid's members by name: the grid object contract as the
// grid services call it (see reference_grid.h).
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/reference_grid.h>

#include <atomic>
#include <utility>

#include "refgrid/grid_parts.h"

namespace velmora {
namespace {

Variant none() { return {}; }

// AddRow's argument limit, far above any grid a client fills by hand.
constexpr int kMaxRowCells = 256;

// For-each over a snapshot, so that removing elements while walking is safe.
class SnapshotEnumerator : public Enumerator {
 public:
  explicit SnapshotEnumerator(std::vector<ObjectRef> items) : items_(std::move(items)) {}
  bool next(Variant& out) override {
    if (at_ >= items_.size()) return false;
    out = Variant(items_[at_++]);
    return true;
  }

 private:
  std::vector<ObjectRef> items_;
  std::size_t at_ = 0;
};

MemberTable<GridColumn> makeColumnMembers() {
  return MemberTable<GridColumn>()
      .get("Key", 0, 0, [](GridColumn& c, Args) -> Variant { return c.key(); })
      .get("Caption", 0, 0, [](GridColumn& c, Args) -> Variant { return c.caption; })
      .let("Caption", 1, 1,
           [](GridColumn& c, Args a) -> Variant {
             // Text is assigned in place, into the caption's own storage.
             if (const std::string* text = a[0].getIf<std::string>()) {
               c.caption.assign(*text);
             } else {
               c.caption = toText(a[0]);
             }
             return none();
           })
      .get("Width", 0, 0, [](GridColumn& c, Args) -> Variant { return c.width; })
      .let("Width", 1, 1,
           [](GridColumn& c, Args a) -> Variant {
             c.width = toInt32(a[0]);
             return none();
           })
      .get("Visible", 0, 0, [](GridColumn& c, Args) -> Variant { return c.visible; })
      .let("Visible", 1, 1,
           [](GridColumn& c, Args a) -> Variant {
             c.visible = toBool(a[0]);
             return none();
           })
      .get("Format", 0, 0, [](GridColumn& c, Args) -> Variant { return c.format; })
      .let("Format", 1, 1,
           [](GridColumn& c, Args a) -> Variant {
             c.format = toText(a[0]);
             return none();
           })
      .get("SortType", 0, 0, [](GridColumn& c, Args) -> Variant { return c.sortType; })
      .let("SortType", 1, 1,
           [](GridColumn& c, Args a) -> Variant {
             c.sortType = toInt16(a[0]);
             return none();
           })
      .get("Index", 0, 0, [](GridColumn& c, Args) -> Variant { return c.index(); })
      .get("IsGrouped", 0, 0, [](GridColumn& c, Args) -> Variant { return c.isGrouped(); })
      .get("ColPosition", 0, 0, [](GridColumn& c, Args) -> Variant { return c.colPosition(); })
      .let("ColPosition", 1, 1, [](GridColumn& c, Args a) -> Variant {
        c.moveTo(toInt32(a[0]));
        return none();
      });
}

std::atomic<const MemberTable<GridColumn>*> builtColumnMembers{nullptr};

// Built on first use and never destroyed (objects may outlive the statics).
const MemberTable<GridColumn>& columnMembers() {
  static const MemberTable<GridColumn>* const table = [] {
    const auto* made = new MemberTable<GridColumn>(makeColumnMembers());
    builtColumnMembers.store(made, std::memory_order_release);
    return made;
  }();
  return *table;
}

const MemberTable<GridSortItem>& itemMembers() {
  static const auto table =
      MemberTable<GridSortItem>()
          .get("Index", 0, 0, [](GridSortItem& g, Args) -> Variant { return g.index(); })
          .get("ColIndex", 0, 0, [](GridSortItem& g, Args) -> Variant { return g.colIndex; })
          .get("SortOrder", 0, 0, [](GridSortItem& g, Args) -> Variant { return g.sortOrder; })
          .let("SortOrder", 1, 1, [](GridSortItem& g, Args a) -> Variant {
            g.sortOrder = toInt16(a[0]);
            return none();
          });
  return table;
}

ObjectRef itemRef(GridSortList& list, std::int32_t position) {
  return list.item(position).shared_from_this();
}

const MemberTable<GridSortList>& listMembers() {
  static const auto table =
      MemberTable<GridSortList>()
          .get("Count", 0, 0, [](GridSortList& l, Args) -> Variant { return l.count(); })
          .get("Item", 1, 1,
               [](GridSortList& l, Args a) -> Variant { return itemRef(l, toInt32(a[0])); })
          .method("Add", 2, 3,
                  [](GridSortList& l, Args a) -> Variant {
                    const std::int16_t colIndex = toInt16(a[0]);
                    const std::int16_t order = toInt16(a[1]);
                    const Variant index = optionalArg(a, 2);
                    const std::int32_t at = index.isMissing() ? 0 : toInt32(index);
                    return l.add(colIndex, order, at).shared_from_this();
                  })
          .method("Remove", 1, 1, [](GridSortList& l, Args a) -> Variant {
            l.remove(toInt32(a[0]));
            return none();
          });
  return table;
}

const MemberTable<GridColumns>& columnsMembers() {
  static const auto table =
      MemberTable<GridColumns>()
          .get("Count", 0, 0,
               [](GridColumns& c, Args) -> Variant {
                 if (c.grid == nullptr) throw AutomationError(err::kObjectNotSet);
                 return c.grid->columnCount();
               })
          .get("Item", 1, 1, [](GridColumns& c, Args a) -> Variant { return c.find(a[0]); });
  return table;
}

MemberTable<ReferenceGrid> makeGridMembers() {
  return MemberTable<ReferenceGrid>()
      .get("Columns", 0, 1,
           [](ReferenceGrid& g, Args a) -> Variant {
             if (a.empty()) return g.columns();
             return GridColumns::of(g).find(a[0]);
           })
      .get("Groups", 0, 1,
           [](ReferenceGrid& g, Args a) -> Variant {
             if (a.empty()) return g.groups().shared_from_this();
             return itemRef(g.groups(), toInt32(a[0]));
           })
      .get("SortKeys", 0, 1,
           [](ReferenceGrid& g, Args a) -> Variant {
             if (a.empty()) return g.sortKeys().shared_from_this();
             return itemRef(g.sortKeys(), toInt32(a[0]));
           })
      .get("GroupByBoxVisible", 0, 0,
           [](ReferenceGrid& g, Args) -> Variant { return g.groupByBoxVisible; })
      .let("GroupByBoxVisible", 1, 1,
           [](ReferenceGrid& g, Args a) -> Variant {
             g.groupByBoxVisible = toBool(a[0]);
             return none();
           })
      .get("View", 0, 0, [](ReferenceGrid& g, Args) -> Variant { return g.view; })
      .let("View", 1, 1,
           [](ReferenceGrid& g, Args a) -> Variant {
             g.view = toInt32(a[0]);
             return none();
           })
      .method("GetClipString", 1, 1,
              [](ReferenceGrid& g, Args a) -> Variant { return g.GetClipString(toBool(a[0])); })
      // For a client that reaches the grid only by name, a script.
      .method("AddColumn", 1, 2,
              [](ReferenceGrid& g, Args a) -> Variant {
                const std::string key = toText(a[0]);
                return g.addColumn(key, a.size() > 1 ? toText(a[1]) : key).shared_from_this();
              })
      .method("AddRow", 0, kMaxRowCells,
              [](ReferenceGrid& g, Args a) -> Variant {
                g.addRow(std::vector<Variant>(a.begin(), a.end()));
                return none();
              })
      .get("Description", 0, 0, [](ReferenceGrid& g, Args) -> Variant { return describeGrid(g); });
}

std::atomic<const MemberTable<ReferenceGrid>*> builtGridMembers{nullptr};

// Built on first use and never destroyed (objects may outlive the statics).
const MemberTable<ReferenceGrid>& gridMembers() {
  static const MemberTable<ReferenceGrid>* const table = [] {
    const auto* made = new MemberTable<ReferenceGrid>(makeGridMembers());
    builtGridMembers.store(made, std::memory_order_release);
    return made;
  }();
  return *table;
}

}  // namespace

ObjectRef ReferenceGrid::columns() { return impl_->columnsObject; }

void GridColumn::moveTo(std::int32_t position) {
  if (grid_ == nullptr) throw AutomationError(err::kObjectNotSet);
  grid_->moveColumn(*this, position);
}

ObjectRef GridColumns::find(const Variant& which) {
  if (grid == nullptr) throw AutomationError(err::kObjectNotSet);
  // The grid's own reference is copied: cheaper than locking the column's
  // weak self-reference.
  std::int32_t index = 0;
  if (const std::string* key = which.getIf<std::string>()) {
    const GridColumn* column = grid->findColumn(*key);
    if (column == nullptr) throw AutomationError(err::kSubscriptOutOfRange);
    index = column->index();
  } else {
    index = toInt32(which);
    if (index < 1 || index > grid->columnCount()) throw AutomationError(err::kSubscriptOutOfRange);
  }
  return grid->impl_->columns[static_cast<std::size_t>(index - 1)];
}

std::unique_ptr<Enumerator> GridColumns::newEnum() {
  if (grid == nullptr) throw AutomationError(err::kObjectNotSet);
  std::vector<ObjectRef> items;
  for (std::int32_t i = 1; i <= grid->columnCount(); ++i) {
    items.push_back(grid->column(i).shared_from_this());
  }
  return std::make_unique<SnapshotEnumerator>(std::move(items));
}

std::unique_ptr<Enumerator> GridSortList::newEnum() {
  std::vector<ObjectRef> items(items_.begin(), items_.end());
  return std::make_unique<SnapshotEnumerator>(std::move(items));
}

Variant GridColumns::invoke(std::string_view name, CallKind kind, Args args) {
  return columnsMembers().dispatch(*this, name, kind, args);
}

Variant GridColumn::invoke(std::string_view name, CallKind kind, Args args) {
  return columnMembers().dispatch(*this, name, kind, args);
}

MemberId GridColumn::memberId(std::string_view name) const { return columnMembers().idOf(name); }

Variant GridColumn::invokeMember(MemberId id, std::string_view name, CallKind kind, Args args) {
  // An id comes only from a built table, so the call by id reads the table
  // without the guard of its first use: the guard's call would cost every
  // call the registers it saves. Before, every call is one by name.
  const MemberTable<GridColumn>* table = builtColumnMembers.load(std::memory_order_acquire);
  if (table == nullptr) return Object::invokeMember(kNoMemberId, name, kind, args);
  return table->dispatch(*this, id, name, kind, args);
}

Variant GridSortItem::invoke(std::string_view name, CallKind kind, Args args) {
  return itemMembers().dispatch(*this, name, kind, args);
}

Variant GridSortList::invoke(std::string_view name, CallKind kind, Args args) {
  return listMembers().dispatch(*this, name, kind, args);
}

Variant ReferenceGrid::invoke(std::string_view name, CallKind kind, Args args) {
  return gridMembers().dispatch(*this, name, kind, args);
}

MemberId ReferenceGrid::memberId(std::string_view name) const { return gridMembers().idOf(name); }

Variant ReferenceGrid::invokeMember(MemberId id, std::string_view name, CallKind kind, Args args) {
  // An id comes only from a built table, so the call by id reads the table
  // without the guard of its first use: the guard's call would cost every
  // call the registers it saves. Before, every call is one by name.
  const MemberTable<ReferenceGrid>* table = builtGridMembers.load(std::memory_order_acquire);
  if (table == nullptr) return Object::invokeMember(kNoMemberId, name, kind, args);
  return table->dispatch(*this, id, name, kind, args);
}

}  // namespace velmora
