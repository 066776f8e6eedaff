// Clone copies each plain property together with its collection key; the
// copy must look its items up exactly as the source does.
#include <commonvelmora/error.h>
#include <commonvelmora/keyed_collection.h>
#include <commonvelmora/kz_properties.h>
#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(CloneKeysTest, CopiedKeysFoldLikeTheSource) {
  auto root = KZProperties::create();
  root->Add("Straße", Variant(std::int32_t{1}), true);
  root->Add("Привет", Variant("text"));
  root->Add("Plain");  // never assigned
  auto copy = root->Clone();
  EXPECT_EQ(copy->Find("STRASSE")->Value(), Variant(std::int32_t{1}));
  EXPECT_TRUE(copy->Find("strasse")->ReadOnly());
  EXPECT_EQ(copy->Find("ПРИВЕТ")->Name(), "Привет");
  EXPECT_TRUE(copy->Find("plain")->Value().isEmpty());
  EXPECT_EQ(copy->NewItem()->Name(), "Plain");
  // The copied keys are real keys: a second item under one is refused, and
  // adding under it assigns the existing copy.
  EXPECT_THROW(copy->PropCollection()->add(Variant(1), std::string_view("ПРИВЕТ")),
               AutomationError);
  EXPECT_EQ(copy->ItemIndex("привет"), 2);
  copy->Add("ПРИВЕТ", Variant("changed"));
  EXPECT_EQ(copy->Count(), 3);
  EXPECT_EQ(copy->Find("Привет")->Value(), Variant("changed"));
  EXPECT_EQ(root->Find("Привет")->Value(), Variant("text"));
}

TEST(CloneKeysTest, AnItemKeyedUnlikeItsNameIsCopiedUnderItsName) {
  auto root = KZProperties::create();
  auto property = KZProperty::create();
  property->Name("Real");
  property->Value(Variant(std::int32_t{5}));
  root->PropCollection()->add(Variant(property), std::string_view("Other"));
  auto copy = root->Clone();
  EXPECT_EQ(copy->Find("Real")->Value(), Variant(std::int32_t{5}));
  EXPECT_EQ(copy->Find("Other"), nullptr);
}

}  // namespace
}  // namespace velmora
