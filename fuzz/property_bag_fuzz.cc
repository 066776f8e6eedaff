// Loads arbitrary bytes into a property bag, reads every entry (re-creating
// objects through a registered test class), writes what it read into a new
// bag and checks that the bytes are stable: a loaded bag reproduces its
// input, and a bag without objects re-encodes to exactly the same bytes.
// Any failure other than the documented errors (321 loading, 429 for an
// unknown class) is a finding.
#include <commonvelmora/class_registry.h>
#include <commonvelmora/error.h>
#include <commonvelmora/property_bag.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "support/plain_object.h"

namespace velmora {
namespace {

// A persistable object that reads a few entries and writes them back.
class FuzzNode : public test_support::PlainObject {
 public:
  static constexpr const char* kProgId = "Fuzz.Node";
  Variant a, b, child = Variant::nothing();

  std::string_view progId() const override { return kProgId; }
  void readProperties(PropertyBag& bag) override {
    a = bag.readProperty("A", Variant());
    b = bag.readProperty("B", Variant(std::int16_t{0}));
    child = bag.readProperty("Child", Variant::nothing());
  }
  void writeProperties(PropertyBag& bag) override {
    bag.writeProperty("A", a, Variant());
    bag.writeProperty("B", b, Variant(std::int16_t{0}));
    bag.writeProperty("Child", child, Variant::nothing());
  }
};

[[noreturn]] void finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

bool holdsObject(const Variant& v) {
  return v.isObject() || (v.isArray() && std::any_of(v.array().variants().begin(),
                                                     v.array().variants().end(), holdsObject));
}

void expectStable(const PropertyBag& bag) {
  PropertyBag again;
  again.setContents(bag.contents());
  if (again.contents() != bag.contents()) finding("contents do not reload to the same bytes");
}

void run(std::span<const std::uint8_t> input) {
  PropertyBag bag;
  try {
    bag.setContents(input);
  } catch (const AutomationError& e) {
    if (e.number() != err::kBadFileFormat) finding("loading raised something other than 321");
    if (bag.size() != 0) finding("a failed load changed the bag");
    return;
  }
  // Bytes of today's version come back as they are; those of version 1
  // come back as today's bytes of the same tree, which expectStable checks.
  const auto loaded = bag.contents();
  const bool version1 = input.size() > 4 && input[4] == 1;
  if (!version1 && !std::equal(loaded.begin(), loaded.end(), input.begin(), input.end())) {
    finding("a loaded bag does not reproduce its input");
  }
  expectStable(bag);

  PropertyBag rewritten;
  bool objects = false;
  for (const std::string& name : bag.names()) {
    Variant v;
    try {
      v = bag.readProperty(name);
    } catch (const AutomationError& e) {
      if (e.number() != err::kCantCreateObject) finding("reading raised something other than 429");
      return;
    }
    objects = objects || holdsObject(v);
    rewritten.writeProperty(name, v);
  }
  if (!objects && rewritten.contents() != loaded) finding("values do not re-encode identically");
  expectStable(rewritten);
}

}  // namespace
}  // namespace velmora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using velmora::FuzzNode;
  static const bool registered =
      (velmora::ClassRegistry::instance().add(FuzzNode::kProgId,
                                              [] { return std::make_shared<FuzzNode>(); }),
       true);
  (void)registered;
  velmora::run(std::span<const std::uint8_t>(data, size));  // anything it throws is a finding
  return 0;
}
