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

}  // namespace velmora::grid::testing
