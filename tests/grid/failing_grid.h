// A client grid that fails: the reference grid with one member that raises,
// for the faults a test cannot get from a well-behaved grid.
#pragma once

#include <commonvelmora/error.h>
#include <commonvelmora/reference_grid.h>

#include <string>
#include <utility>

namespace velmora::grid::testing {

class FailingGrid : public Object {
 public:
  FailingGrid(std::shared_ptr<ReferenceGrid> inner, std::string failing)
      : inner_(std::move(inner)), failing_(std::move(failing)) {}
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    if (name == failing_) throw AutomationError(err::kInvalidCall, "the grid refused");
    return inner_->invoke(name, kind, args);
  }
  std::string typeName() const override { return "FailingGrid"; }

 private:
  std::shared_ptr<ReferenceGrid> inner_;
  std::string failing_;
};

// The reference grid whose column `key` raises on `failing` (a member of
// the column: Key, Caption, Visible...), and which counts the assignments
// of Visible made to any column through it.
class FaultyColumnGrid : public Object {
 public:
  FaultyColumnGrid(std::shared_ptr<ReferenceGrid> inner, std::string key, std::string failing)
      : inner_(std::move(inner)), key_(std::move(key)), failing_(std::move(failing)) {}
  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    Variant result = inner_->invoke(name, kind, args);
    if (name != "Columns" || args.size() != 1) return result;
    auto column = std::dynamic_pointer_cast<GridColumn>(result.object());
    return Variant(std::make_shared<Column>(*this, std::move(column)));
  }
  std::string typeName() const override { return "FaultyColumnGrid"; }
  int visibleAssignments = 0;

 private:
  class Column : public Object {
   public:
    Column(FaultyColumnGrid& grid, std::shared_ptr<GridColumn> inner)
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
    FaultyColumnGrid& grid_;
    std::shared_ptr<GridColumn> inner_;
  };
  std::shared_ptr<ReferenceGrid> inner_;
  std::string key_;
  std::string failing_;
};

}  // namespace velmora::grid::testing
