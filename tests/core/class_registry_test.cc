// Client objects: members reached by name through a member table, classes
// created by ProgID, and restores that follow the registry as it changes.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/property_bag.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/error_of.h"
#include "support/plain_object.h"

namespace velmora {
namespace {

int errorNumberOf(Object& o, std::string_view name, CallKind kind, std::vector<Variant> args) {
  return test_support::errorOf([&] { o.invoke(name, kind, args); });
}

// Each member accepts exactly as many arguments as its name's number, so a
// call that lands on any other member fails with 450; "Owner" can only be set.
struct Numbered : Object {
  std::string owner;

  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    static const auto t = [] {
      MemberTable<Numbered> table;
      for (int i = 0; i < 40; ++i) {
        table.method("Item" + std::to_string(i), i, i,
                     [](Numbered&, Args a) -> Variant { return static_cast<int>(a.size()); });
      }
      return table.method("a", 0, 0, [](Numbered&, Args) -> Variant { return "a"; })
          .method("`", 0, 0, [](Numbered&, Args) -> Variant { return "`"; })
          .method("ab", 1, 1, [](Numbered&, Args) -> Variant { return "ab"; })
          .method("abcdefghijklmnopqrstuvwxyz", 2, 2, [](Numbered&, Args) -> Variant { return 26; })
          .set("Owner", 1, 1, [](Numbered& o, Args v) -> Variant {
            o.owner = v[0].isNothing() ? "nothing" : v[0].object()->typeName();
            return {};
          });
    }();
    return t.dispatch(*this, name, kind, args);
  }
  std::string typeName() const override { return "Numbered"; }
};

TEST(MemberTableTest, ErrorsForUnknownMembersKindsAndCountsAndSetTakesObjects) {
  Numbered o;
  EXPECT_EQ(errorNumberOf(o, "Item1", CallKind::Get, {Variant(1)}), err::kNoSuchMember);
  EXPECT_EQ(errorNumberOf(o, "Owner", CallKind::Let, {Variant(1)}), err::kNoSuchMember);
  EXPECT_EQ(errorNumberOf(o, "Item1", CallKind::Method, {}), err::kWrongArgCount);
  EXPECT_EQ(errorNumberOf(o, "Item1", CallKind::Method, {Variant(1), Variant()}),
            err::kWrongArgCount);
  // Set takes object references, Nothing among them.
  o.set("Owner", std::make_shared<Numbered>());
  EXPECT_EQ(o.owner, "Numbered");
  o.set("Owner", nullptr);
  EXPECT_EQ(o.owner, "nothing");
}

TEST(MemberTableTest, NamesOfAnyLengthAndLetterCaseFindTheirOwnMember) {
  Numbered o;
  for (int i = 0; i < 40; ++i) {
    std::vector<Variant> args(static_cast<std::size_t>(i));
    EXPECT_EQ(o.invoke("Item" + std::to_string(i), CallKind::Method, args), Variant(i));
    EXPECT_EQ(o.invoke("iTEM" + std::to_string(i), CallKind::Method, args), Variant(i));
  }
  std::vector<Variant> one(1), two(2);
  EXPECT_EQ(o.invoke("A", CallKind::Method, {}), Variant("a"));
  EXPECT_EQ(o.invoke("aB", CallKind::Method, one), Variant("ab"));
  EXPECT_EQ(o.invoke("ABCDEFGHIJKLMnopqrstuvwxyz", CallKind::Method, two), Variant(26));
  for (std::string_view absent : {"", "b", "Item", "Item40", "abcdefghijklmnopqrstuvwxy_"}) {
    EXPECT_EQ(errorNumberOf(o, absent, CallKind::Method, {}), err::kNoSuchMember) << absent;
  }
  // Outside A-Z, bytes that only bit 0x20 tells apart are different names.
  EXPECT_EQ(o.invoke("`", CallKind::Method, {}), Variant("`"));
  EXPECT_EQ(errorNumberOf(o, "@", CallKind::Method, {}), err::kNoSuchMember);
}

using test_support::errorOf;

using Widget = test_support::PlainObject;

int creationError(std::string_view progId) {
  return test_support::errorOf([&] { createObject(progId); });
}

// Unknown classes and factories that give no object raise 429.
TEST(ClassRegistryTest, CreatesByProgIdIgnoringCase) {
  auto& r = ClassRegistry::instance();
  r.add("Test.Widget", [] { return ObjectRef(); });
  EXPECT_EQ(creationError("Test.Widget"), err::kCantCreateObject);
  r.add("Test.Widget", [] { return std::make_shared<Widget>(); });  // replaces
  EXPECT_TRUE(r.contains("TEST.WIDGET"));
  auto a = createObject("test.widget");
  auto b = createObject("Test.Widget");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);  // a new object every time
  EXPECT_TRUE(r.remove("TEST.widget"));
  EXPECT_FALSE(r.remove("Test.Widget"));
  EXPECT_EQ(creationError("Test.Widget"), err::kCantCreateObject);
  EXPECT_EQ(creationError("No.Such.Class"), err::kCantCreateObject);
}

TEST(ClassRegistryTest, FactoriesMayCreateOtherObjectsAndRunOnAnyThread) {
  auto& r = ClassRegistry::instance();
  r.add("Test.Inner", [] { return std::make_shared<Widget>(); });
  r.add("Test.Outer", [] { return createObject("Test.Inner"); });  // no self-deadlock
  std::vector<std::thread> threads;
  std::atomic<int> created{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 200; ++i) created += createObject("Test.Outer") ? 1 : 0;
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(created, 800);
  r.remove("Test.Inner");
  r.remove("Test.Outer");
}

// A persistable object that remembers which registration made it.
class Tagged : public test_support::PlainObject {
 public:
  static constexpr const char* kProgId = "Test.Tagged";
  explicit Tagged(std::string madeBy) : maker(std::move(madeBy)) {}
  std::string maker;

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
  written.writeProperty("Plain", "text");
  PropertyBag bag;
  bag.setContents(written.contents());
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "first");
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "first");

  registerMaker("second");
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "second");

  // A class gone fails only the entries that need it: loading creates no
  // objects. Objects of no registered class, or of none at all, are refused.
  ASSERT_TRUE(ClassRegistry::instance().remove(Tagged::kProgId));
  bag.setContents(written.contents());
  EXPECT_EQ(bag.readProperty("Plain"), Variant("text"));
  EXPECT_EQ(errorOf([&] { bag.readProperty("Item"); }), err::kCantCreateObject);
  EXPECT_EQ(
      errorOf([&] { written.writeProperty("Again", ObjectRef(std::make_shared<Tagged>("x"))); }),
      330);
  EXPECT_EQ(errorOf([&] { written.writeProperty("P", std::make_shared<Widget>()); }), 330);

  registerMaker("third");
  EXPECT_EQ(makerOf(bag.readProperty("Item")), "third");
  ClassRegistry::instance().remove(Tagged::kProgId);
}

}  // namespace
}  // namespace velmora
