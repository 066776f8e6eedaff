// Keys folded across case and script: the flat index behind the keyed
// collections, and the collections themselves.
#include <commonvelmora/ascii_case.h>
#include <commonvelmora/error.h>
#include <commonvelmora/keyed_collection.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/flat_key_index.h"
#include "core/unicode_fold.h"
#include "support/error_of.h"

namespace velmora {
namespace {

using test_support::errorOf;

// Hashes that collide in their low bits force long probe runs that wrap
// around the end of the slot array, where backward-shift deletion can go
// wrong.
TEST(FlatKeyIndexTest, EveryKeyStaysFindableThroughCollidingRemovals) {
  FlatKeyIndex<std::size_t> index;
  constexpr std::size_t kCount = 200;
  auto hashOf = [](std::size_t ref) { return (ref % 7) * 64 + 60; };
  for (std::size_t ref = 1; ref <= kCount; ++ref) index.insert(hashOf(ref), ref);

  std::vector<bool> present(kCount + 1, true);
  for (std::size_t step = 0; step < kCount; step += 3) {
    const std::size_t victim = (step * 37) % kCount + 1;
    EXPECT_EQ(index.erase(hashOf(victim), victim), present[victim]);
    present[victim] = false;
    for (std::size_t ref = 1; ref <= kCount; ++ref) {
      const std::size_t* found =
          index.find(hashOf(ref), [&](std::size_t candidate) { return candidate == ref; });
      ASSERT_EQ(found != nullptr, present[ref]) << "ref " << ref << " after erasing " << victim;
    }
  }
}

TEST(FoldedKeyTest, MatchesAcrossCaseAndScript) {
  EXPECT_FALSE(FoldedKey("ITEM_7").matches("item_70"));
  // The Kelvin sign folds to an ASCII "k".
  const FoldedKey kelvin("\u212A");
  EXPECT_TRUE(kelvin.matches("k"));
  EXPECT_EQ(kelvin.hash(), FoldedKey("K").hash());
  // Invalid UTF-8 keeps its bytes.
  EXPECT_EQ(foldCase("AB\xff\xfe"), "ab\xff\xfe");
  EXPECT_FALSE(equalsNoCase("AB\xff\xfe", "ab\xff"));
  EXPECT_EQ(foldCase(std::string("A\0B", 3)), std::string("a\0b", 3));
}

TEST(FoldedKeyTest, EveryAsciiByteAtEveryPlaceOfAWordFoldsAsOnItsOwn) {
  // Word-at-a-time folding must agree with the letter-by-letter rule for
  // every byte (the edges of A-Z included), in whole words and in the tail.
  for (std::size_t size : {1u, 7u, 8u, 13u, 64u}) {
    for (int byte = 0; byte < 0x80; ++byte) {
      std::string text(size, 'Q');
      text[size / 2] = static_cast<char>(byte);
      std::string lower = text;
      for (char& c : lower) c = detail::asciiLower(c);
      const FoldedKey key(text);
      ASSERT_EQ(key.view(), lower) << size << " " << byte;
      ASSERT_EQ(key.hash(), hashBytes(lower));
      ASSERT_TRUE(key.matches(text) && key.matches(lower));
      std::string other = lower;
      other[size / 2] = byte == 'q' ? 'r' : 'q';
      ASSERT_EQ(key.matches(other), lower == other);
    }
  }
}

std::string itemsOf(KeyedCollection& c) {
  std::string out;
  auto e = c.newEnum();
  Variant v;
  while (e->next(v)) out += v.text();
  return out;
}

TEST(KeyedCollectionTest, KeysFoldCaseAndRejectDuplicates) {
  KeyedCollection c;
  c.add(Variant("hello"), "Привет");
  EXPECT_EQ(c.item(Variant("ПРИВЕТ")), Variant("hello"));
  EXPECT_EQ(c.find("привет"), 1);
  EXPECT_EQ(c.keyAt(1), "Привет");
  EXPECT_EQ(errorOf([&] { c.add(Variant(1), "пРИВЕТ"); }), err::kDuplicateKey);
  EXPECT_EQ(c.count(), 1);
  c.add(Variant("street"), "Straße");
  EXPECT_EQ(errorOf([&] { c.add(Variant(1), "STRASSE"); }), err::kDuplicateKey);
  c.add(Variant("unkeyed"));
  c.add(Variant("empty key"), "");
  EXPECT_EQ(c.keyAt(3), "");
  EXPECT_EQ(c.item(Variant("")), Variant("empty key"));
}

TEST(KeyedCollectionTest, InsertBeforeAfterAndRemoveKeepOrder) {
  KeyedCollection c;
  c.add(Variant("b"), "B");
  c.add(Variant("d"), "D");
  c.add(Variant("a"), "A", Variant(1));                        // before position 1
  c.add(Variant("c"), "C", Variant::missing(), Variant("b"));  // after key b
  c.add(Variant("e"), std::nullopt, Variant::missing(), Variant(4.0));
  EXPECT_EQ(itemsOf(c), "abcde");
  EXPECT_EQ(c.find("D"), 4);
  c.remove(Variant("B"));
  EXPECT_EQ(itemsOf(c), "acde");
  EXPECT_EQ(c.find("c"), 2);  // positions of keys shift with removals
  EXPECT_EQ(c.item(Variant(std::int16_t{3})), Variant("d"));
  c.remove(Variant(2.5));  // halves round to even: position 2
  EXPECT_EQ(itemsOf(c), "ade");
  EXPECT_EQ(c.find("D"), 2);
  c.clear();
  EXPECT_EQ(c.count(), 0);
  EXPECT_EQ(c.find("a"), 0);
  c.add(Variant("again"), "A");
  EXPECT_EQ(c.count(), 1);
}

TEST(KeyedCollectionTest, ErrorsLeaveTheCollectionUnchanged) {
  KeyedCollection c;
  c.add(Variant("x"), "X");
  EXPECT_EQ(errorOf([&] { c.item(Variant("missing")); }), err::kInvalidCall);
  EXPECT_EQ(errorOf([&] { c.item(Variant("1")); }), err::kInvalidCall);  // text is always a key
  EXPECT_EQ(errorOf([&] { c.item(Variant(0)); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { c.item(Variant(1e300)); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { c.item(Variant::null()); }), err::kInvalidUseOfNull);
  EXPECT_EQ(errorOf([&] { c.item(Variant()); }), err::kTypeMismatch);
  EXPECT_EQ(errorOf([&] { c.remove(Variant(5)); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { c.add(Variant(1), "k", Variant(1), Variant(1)); }), err::kInvalidCall);
  EXPECT_EQ(errorOf([&] { c.add(Variant(1), "k", Variant(9)); }), err::kSubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { c.add(Variant(1), "k", Variant::missing(), Variant("no")); }),
            err::kInvalidCall);
  EXPECT_EQ(c.count(), 1);
  EXPECT_FALSE(c.containsKey("k"));  // a failed add registers no key
  EXPECT_EQ(errorOf([&] { c.add(Variant(1)); }), 0);
}

TEST(KeyedCollectionTest, ForEachSurvivesRemovingTheCurrentItem) {
  auto c = std::make_shared<KeyedCollection>();
  for (const char* s : {"a", "b", "c", "d"}) c->add(Variant(s), std::string_view(s));
  std::string seen;
  auto e = c->newEnum();
  Variant v;
  while (e->next(v)) {
    seen += v.text();
    if (v.text() == "b" || v.text() == "c") c->remove(v);  // remove by key while walking
  }
  EXPECT_EQ(seen, "abcd");
  EXPECT_EQ(itemsOf(*c), "ad");

  // The enumerator keeps a shared collection alive.
  auto e2 = c->newEnum();
  c.reset();
  ASSERT_TRUE(e2->next(v));
  EXPECT_EQ(v, Variant("a"));
}

Variant call(KeyedCollection& c, std::string_view name, CallKind kind, std::vector<Variant> args) {
  return c.invoke(name, kind, args);
}

TEST(KeyedCollectionTest, LateBoundMembers) {
  KeyedCollection c;
  call(c, "add", CallKind::Method, {Variant(10), Variant("Ten")});
  call(c, "ADD", CallKind::Method, {Variant(5), Variant("Five"), Variant("ten")});
  EXPECT_EQ(call(c, "Count", CallKind::Get, {}), Variant(std::int32_t{2}));
  EXPECT_EQ(call(c, "Item", CallKind::Method | CallKind::Get, {Variant("TEN")}), Variant(10));
  EXPECT_EQ(call(c, "", CallKind::Get, {Variant(1)}), Variant(5));  // the default member
  call(c, "Remove", CallKind::Method, {Variant(1)});
  EXPECT_EQ(c.count(), 1);
  std::vector<Variant> numberAsKey{Variant(1), Variant(7)};
  EXPECT_EQ(errorOf([&] { c.invoke("Add", CallKind::Method, numberAsKey); }), err::kTypeMismatch);
  EXPECT_EQ(c.typeName(), "Collection");
}

}  // namespace
}  // namespace velmora
