// KZProperty: one named value, the node of a property tree.
//
// The value may be anything a Variant holds. When it is a KZProperties
// collection the property is an inner node of the tree and that collection's
// Parent() names this property. The name is given once, the read-only flag
// latches, and no member ever raises: assignments the rules forbid are simply
// ignored, so clients can assign without guarding.
//
// From C++ use the methods below; from scripts and the command-line tool the
// same members are reached by name through invoke(), `Value` being the default
// member (invoke with the empty name).
#pragma once

#include <commonvelmora/export.h>
#include <commonvelmora/identifiers.h>
#include <commonvelmora/object.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

class KZProperties;

class VELMORA_EXPORT KZProperty : public Object {
 public:
  static constexpr std::string_view kProgId = ids::kKZPropertyProgId;
  static constexpr std::string_view kClassId = ids::kKZPropertyClassId;
  static constexpr std::string_view kInterfaceId = ids::kKZPropertyInterfaceId;
  static constexpr std::string_view kInterfaceName = "_KZProperty";
  static constexpr std::string_view kHelpString = "Single Property Object";

  // What ValueType() reports. These codes belong to this class; they are not
  // the Variant's kind codes.
  enum ValueKind : std::int16_t {
    kEmptyValue = 0,    // never assigned, or assigned empty
    kObjectValue = 1,   // an object reference, Nothing included
    kNumericValue = 2,  // numbers, currency, booleans, text that reads as a number
    kOtherValue = 3,    // other text, dates, null, error values, arrays
  };

  KZProperty();
  ~KZProperty() override;

  static std::shared_ptr<KZProperty> create();

  // The name can be given once: assigning while a name is set is ignored.
  std::string Name() const;  // "Retrieve Name of Property Item"
  void Name(std::string NewName);

  // An object value is held (kept alive) and returned as the same reference.
  // On a read-only property assignments are ignored.
  Variant Value() const;  // "Retrieve Current Value of Property Item"
  const Variant& valueRef() const { return value_; }
  void Value(Variant NewValue);

  // Latches: once true, assigning false is ignored.
  bool ReadOnly() const { return readOnly_; }  // "Retrieve Read Only Flag Property Item"
  void ReadOnly(bool NewReadOnly);

  // The code of what the value holds now (recomputed on every call).
  std::int16_t ValueType();
  // True when the value is an object whose type name is "KZProperties" in any
  // letter case.
  bool IsParent() const;
  // Always Nothing: nothing in the library gives a property a parent, since
  // an item moved between collections through PropCollection would otherwise
  // keep a stale back-reference.
  ObjectRef Parent() const { return nullptr; }

  // Change announcements: every assignment (even an ignored one) marks the
  // object as changed and remembers which member it was. Nothing in the
  // library reads the mark; it is there for a persistence host that wants to
  // know whether to save.
  bool changed() const { return lastChanged_ != nullptr; }
  std::string_view lastChanged() const { return lastChanged_ ? lastChanged_ : ""; }
  void clearChanged() { lastChanged_ = nullptr; }

  // Object
  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override { return "KZProperty"; }
  std::string_view progId() const override { return kProgId; }
  void writeProperties(PropertyBag& bag) override;
  void readProperties(PropertyBag& bag) override;

 private:
  friend class KZProperties;

  void UpdateValueType();
  void announce(const char* member) { lastChanged_ = member; }
  // Stores an object value and, when it is one of our collections, makes this
  // property its parent.
  void adoptObject(ObjectRef object);

  std::string name_;
  Variant value_;
  bool readOnly_ = false;
  std::int16_t valueType_ = kEmptyValue;
  const char* lastChanged_ = nullptr;
};

}  // namespace velmora
