#include "core/flat_key_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/unicode_fold.h"

namespace velmora {
namespace {

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
  const FoldedKey upper("ITEM_7");
  EXPECT_TRUE(upper.matches("item_7"));
  EXPECT_FALSE(upper.matches("item_70"));
  // The Kelvin sign folds to an ASCII "k".
  const FoldedKey kelvin("\u212A");
  EXPECT_TRUE(kelvin.matches("k"));
  EXPECT_EQ(kelvin.hash(), FoldedKey("K").hash());
  const FoldedKey cyrillic("ПРИВЕТ");
  EXPECT_TRUE(cyrillic.matches("привет"));
  // Longer than the inline buffer.
  const std::string longKey(100, 'A');
  EXPECT_TRUE(FoldedKey(longKey).matchesAscii(std::string(100, 'a')));
  EXPECT_EQ(FoldedKey(longKey).hash(), FoldedKey(std::string(100, 'a')).hash());
}

}  // namespace
}  // namespace velmora
