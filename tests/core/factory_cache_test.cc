#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

namespace velmora {

using velmora::test_support::errorOf;
namespace {

// A persistable object that remembers which registration made it.
class Tagged : public Object {
 public:
  static constexpr const char* kProgId = "Test.Tagged";
  explicit Tagged(std::string madeBy) : maker(std::move(madeBy)) {}
  std::string maker;

  Variant invoke(std::string_view, CallKind, Args) override {
    throw AutomationError(err::kNoSuchMember);
  }
  std::string typeName() const override { return "Tagged"; }
  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override { bag.writeProperty("Seen", true, false); }
  void readProperties(PropertyBag&) override {}
};

void registerMaker(const std::string& maker) {
  ClassRegistry::instance().add(Tagged::kProgId,
                                [maker] { return std::make_shared<Tagged>(maker); });
}

std::string makerOf(const Variant& v) { return dynamic_cast<Tagged&>(*v.object()).maker; }

// Restoring keeps the factories it found, so these cases check that a
// change to the registry is seen by the very next restore on the thread.
TEST(FactoryCacheTest, RestoreFollowsTheRegistryAsItChanges) {
  registerMaker("first");
  PropertyBag written;
  written.writeProperty("Item", ObjectRef(std::make_shared<Tagged>("client")));
  const auto bytes = written.contents();

  PropertyBag bag;
  bag.setContents(bytes);
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "first");
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "first");

  registerMaker("second");
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "second");

  ASSERT_TRUE(ClassRegistry::instance().remove(Tagged::kProgId));
  EXPECT_EQ(errorOf([&] { bag.readProperty("Item"); }), err::kCantCreateObject);
  EXPECT_EQ(
      errorOf([&] { written.writeProperty("Again", ObjectRef(std::make_shared<Tagged>("x"))); }),
      330);

  registerMaker("third");
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "third");
  ClassRegistry::instance().remove(Tagged::kProgId);
}

}  // namespace
}  // namespace velmora
