// A client grid that fails: the reference grid with one member that raises,
// for the faults a test cannot get from a well-behaved grid.
#pragma once

#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>

#include <string>
#include <utility>

namespace velmora::grid::testing {

// The reference grid whose member `failing` raises: a member of the grid
// itself, or, given a column key, of that column (Key, Caption, Visible...).
// Its columns are its own plain objects, reached by name only: all of them,
// or, given a key, that one, between the reference grid's own columns. It
// counts the assignments of Visible made to any column of its own.
class FailingGrid : public Object {
 public:
  FailingGrid(std::shared_ptr<ReferenceGrid> inner, std::string failing, std::string key = "")
      : inner_(std::move(inner)), failing_(std::move(failing)), key_(std::move(key)) {}
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    if (key_.empty() && name == failing_)
      throw AutomationError(err::kInvalidCall, "the grid refused");
    Variant result = inner_->invoke(name, kind, args);
    if (name != "Columns" || args.size() != 1) return result;
    auto column = std::dynamic_pointer_cast<GridColumn>(result.object());
    if (!key_.empty() && column->key() != key_) return result;
    return Variant(std::make_shared<Column>(*this, std::move(column)));
  }
  std::string typeName() const override { return "FailingGrid"; }
  int visibleAssignments = 0;

 private:
  class Column : public Object {
   public:
    Column(FailingGrid &grid, std::shared_ptr<GridColumn> inner)
        : grid_(grid), inner_(std::move(inner)) {}
    Variant invoke(std::string_view name, CallKind kind, Args args) override {
      if (inner_->key() == grid_.key_ && name == grid_.failing_) {
        throw AutomationError(err::kInvalidCall, "the column refused");
      }
      if (name == "Visible" && hasKind(kind, CallKind::Let)) ++grid_.visibleAssignments;
      return inner_->invoke(name, kind, args);
    }
    std::string typeName() const override { return "Column"; }

   private:
    FailingGrid &grid_;
    std::shared_ptr<GridColumn> inner_;
  };
  std::shared_ptr<ReferenceGrid> inner_;
  std::string failing_;
  std::string key_;
};

}  // namespace velmora::grid::testing
