#include <commonvelmora/error.h>
#include <commonvelmora/member_table.h>
#include <gtest/gtest.h>

#include "support/error_of.h"

#include <vector>

namespace velmora {
namespace {

// A client-style object: a property, a method writing through a by-reference
// argument, and a property that is both read and assigned.
class Account : public Object {
 public:
  std::int32_t balance = 0;
  std::string owner;

  Variant invoke(std::string_view name, CallKind kind, Args args) override {
    return table().dispatch(*this, name, kind, args);
  }
  std::string typeName() const override { return "Account"; }

 private:
  static const MemberTable<Account>& table() {
    static const auto t =
        MemberTable<Account>()
            .get("Balance", 0, 0, [](Account& a, Args) -> Variant { return a.balance; })
            .let("Balance", 1, 1,
                 [](Account& a, Args v) -> Variant {
                   a.balance = v[0].as<std::int32_t>();
                   return {};
                 })
            .set("Owner", 1, 1,
                 [](Account& a, Args v) -> Variant {
                   a.owner = v[0].isNothing() ? "nothing" : v[0].object()->typeName();
                   return {};
                 })
            .method("Withdraw", 1, 2, [](Account& a, Args v) -> Variant {
              a.balance -= v[0].as<std::int32_t>();
              if (supplied(v, 1)) v[1] = Variant(a.balance);  // by-reference result
              return optionalArg(v, 1).isMissing() ? Variant("no receipt") : Variant("receipt");
            });
    return t;
  }
};

int errorNumberOf(Object& o, std::string_view name, CallKind kind, std::vector<Variant> args) {
  return test_support::errorOf([&] { o.invoke(name, kind, args); });
}

TEST(MemberTableTest, ByReferenceArgumentsWriteThrough) {
  Account a;
  a.balance = 100;
  std::vector<Variant> args{Variant(30), Variant()};
  EXPECT_EQ(a.invoke("Withdraw", CallKind::Method, args), Variant("receipt"));
  EXPECT_EQ(args[1], Variant(70));
  // The optional second argument may be left out, or passed as missing.
  std::vector<Variant> one{Variant(5)};
  EXPECT_EQ(a.invoke("Withdraw", CallKind::Method, one), Variant("no receipt"));
  std::vector<Variant> omitted{Variant(5), Variant::missing()};
  EXPECT_EQ(a.invoke("Withdraw", CallKind::Method, omitted), Variant("no receipt"));
  EXPECT_TRUE(omitted[1].isMissing());
}

TEST(MemberTableTest, RuntimeErrorsForUnknownMembersKindsAndCounts) {
  Account a;
  EXPECT_EQ(errorNumberOf(a, "Deposit", CallKind::Method, {}), err::kNoSuchMember);
  EXPECT_EQ(errorNumberOf(a, "Withdraw", CallKind::Get, {Variant(1)}), err::kNoSuchMember);
  EXPECT_EQ(errorNumberOf(a, "Owner", CallKind::Let, {Variant(1)}), err::kNoSuchMember);
  EXPECT_EQ(errorNumberOf(a, "Withdraw", CallKind::Method, {}), err::kWrongArgCount);
  EXPECT_EQ(errorNumberOf(a, "Withdraw", CallKind::Method, {Variant(1), Variant(), Variant()}),
            err::kWrongArgCount);
}

TEST(MemberTableTest, SetTakesObjectReferencesIncludingNothing) {
  Account a;
  a.set("Owner", std::make_shared<Account>());
  EXPECT_EQ(a.owner, "Account");
  a.set("Owner", nullptr);
  EXPECT_EQ(a.owner, "nothing");
}

}  // namespace
}  // namespace velmora
