#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

#include <atomic>
#include <thread>
#include <vector>

namespace velmora {
namespace {

class Widget : public Object {
 public:
  Variant invoke(std::string_view, CallKind, Args) override {
    throw AutomationError(err::kNoSuchMember);
  }
  std::string typeName() const override { return "Widget"; }
};

int errorOf(std::string_view progId) {
  return test_support::errorOf([&] { createObject(progId); });
}

TEST(ClassRegistryTest, CreatesByProgIdIgnoringCase) {
  auto& r = ClassRegistry::instance();
  r.add("Test.Widget", [] { return std::make_shared<Widget>(); });
  EXPECT_TRUE(r.contains("TEST.WIDGET"));
  auto a = createObject("test.widget");
  auto b = createObject("Test.Widget");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);  // a new object every time
  EXPECT_EQ(a->typeName(), "Widget");

  EXPECT_TRUE(r.remove("TEST.widget"));
  EXPECT_FALSE(r.remove("Test.Widget"));
  EXPECT_EQ(errorOf("Test.Widget"), err::kCantCreateObject);
}

TEST(ClassRegistryTest, UnknownOrFailingFactoriesRaise429) {
  auto& r = ClassRegistry::instance();
  EXPECT_EQ(errorOf("No.Such.Class"), err::kCantCreateObject);
  r.add("Test.Null", [] { return ObjectRef(); });
  EXPECT_EQ(errorOf("Test.Null"), err::kCantCreateObject);
  r.add("Test.Null", [] { return ObjectRef(std::make_shared<Widget>()); });  // replaces
  EXPECT_EQ(errorOf("Test.Null"), 0);
  r.remove("Test.Null");
}

TEST(ClassRegistryTest, FactoriesMayCreateOtherObjectsAndRunOnAnyThread) {
  auto& r = ClassRegistry::instance();
  r.add("Test.Inner", [] { return std::make_shared<Widget>(); });
  r.add("Test.Outer", [] { return createObject("Test.Inner"); });  // no self-deadlock
  std::vector<std::thread> threads;
  std::atomic<int> created{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) {
        if (createObject("Test.Outer")) ++created;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(created, 800);
  r.remove("Test.Inner");
  r.remove("Test.Outer");
}

}  // namespace
}  // namespace velmora
