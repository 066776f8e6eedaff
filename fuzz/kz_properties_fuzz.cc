// Restores a KZProperties tree from arbitrary bag bytes, then clones it and
// persists the result again: none of it may crash, hang or recurse without
// bound, whatever the bytes say.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/property_bag.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "properties/register_classes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = (velmora::properties::registerPropertyClasses(), true);
  (void)registered;
  velmora::PropertyBag bag;
  try {
    bag.setContents(std::span(data, size));
  } catch (const velmora::AutomationError&) {
    return 0;  // rejected bytes are the bag's business
  }
  // The tree as a file holds it, and the bag's own entries read directly.
  std::shared_ptr<velmora::KZProperties> trees[2];
  try {
    trees[0] = std::dynamic_pointer_cast<velmora::KZProperties>(
        velmora::toObject(bag.readProperty("Properties")));
  } catch (const velmora::AutomationError&) {
  }
  trees[1] = velmora::KZProperties::create();
  trees[1]->readProperties(bag);
  for (const auto& tree : trees) {
    if (!tree) continue;
    auto copy = tree->Clone();
    velmora::PropertyBag out;
    out.writeProperty("Properties", velmora::Variant(copy));
    velmora::PropertyBag again;
    again.setContents(out.contents());
    (void)tree->FindEx("1\\1\\1");
  }
  return 0;
}
