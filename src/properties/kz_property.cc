#include <commonvelmora/convert.h>
#include <commonvelmora/kz_properties.h>
#include <commonvelmora/kz_property.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/property_bag.h>

#include <utility>

#include "core/ignore_errors.h"
#include "properties/tree_helpers.h"

namespace velmora {

namespace {

constexpr std::int16_t kDefaultValueType = KZProperty::kNumericValue;

const MemberTable<KZProperty>& memberTable() {
  static const auto table = [] {
    MemberTable<KZProperty> t;
    t.get("Name", 0, 0, [](KZProperty& p, Args) -> Variant { return p.Name(); })
        .let("Name", 1, 1,
             [](KZProperty& p, Args a) -> Variant {
               p.Name(toText(a[0]));
               return {};
             })
        .get("ReadOnly", 0, 0, [](KZProperty& p, Args) -> Variant { return p.ReadOnly(); })
        .let("ReadOnly", 1, 1,
             [](KZProperty& p, Args a) -> Variant {
               p.ReadOnly(toBool(a[0]));
               return {};
             })
        .get("ValueType", 0, 0, [](KZProperty& p, Args) -> Variant { return p.ValueType(); })
        .get("IsParent", 0, 0, [](KZProperty& p, Args) -> Variant { return p.IsParent(); })
        .get("Parent", 0, 0, [](KZProperty& p, Args) -> Variant { return p.Parent(); });
    // Value is the default member: the empty name reaches it too. An object
    // may be assigned with either kind of assignment.
    for (std::string_view name : {std::string_view("Value"), std::string_view("")}) {
      auto assign = [](KZProperty& p, Args a) -> Variant {
        p.Value(a[0]);
        return {};
      };
      t.get(name, 0, 0, [](KZProperty& p, Args) -> Variant { return p.Value(); })
          .let(name, 1, 1, assign)
          .set(name, 1, 1, assign);
    }
    return t;
  }();
  return table;
}

}  // namespace

KZProperty::KZProperty() = default;
KZProperty::~KZProperty() = default;

std::shared_ptr<KZProperty> KZProperty::create() { return std::make_shared<KZProperty>(); }

// The getters hand out copies, which is the one thing here that can fail
// (out of memory); they then answer "" and Empty.
std::string KZProperty::Name() const {
  std::string name;
  ignoreErrors([&] { name = name_; });
  return name;
}

Variant KZProperty::Value() const {
  Variant value;
  ignoreErrors([&] { value = value_; });
  return value;
}

void KZProperty::Name(std::string NewName) {
  if (name_.empty()) name_ = std::move(NewName);
  announce("Name");
}

void KZProperty::Value(Variant NewValue) {
  if (!readOnly_) {
    if (ObjectRef* object = NewValue.getIf<ObjectRef>()) {
      adoptObject(std::move(*object));
    } else {
      value_ = std::move(NewValue);
    }
  }
  announce("Value");
}

void KZProperty::adoptObject(ObjectRef object) {
  KZProperties* collection = dynamic_cast<KZProperties*>(object.get());
  value_ = Variant(std::move(object));
  if (collection != nullptr) collection->SetParent(weak_from_this());
}

void KZProperty::ReadOnly(bool NewReadOnly) {
  if (!readOnly_) readOnly_ = NewReadOnly;
  announce("ReadOnly");
}

void KZProperty::UpdateValueType() {
  ignoreErrors([&] {
    if (value_.isObject()) {
      valueType_ = kObjectValue;
    } else if (value_.isEmpty()) {
      valueType_ = kEmptyValue;
    } else if (isNumeric(value_)) {
      valueType_ = kNumericValue;
    } else {
      valueType_ = kOtherValue;
    }
  });
  announce("ValueType");
}

std::int16_t KZProperty::ValueType() {
  UpdateValueType();
  return valueType_;
}

bool KZProperty::IsParent() const { return properties::isCollectionValue(value_); }

Variant KZProperty::invoke(std::string_view name, CallKind kind, Args args) {
  return memberTable().dispatch(*this, name, kind, args);
}

// Each entry is written against the default its reader uses, so a property
// with a numeric value, no name and no flag costs only its "Value" entry.
void KZProperty::writeProperties(PropertyBag& bag) {
  properties::ensureClassesRegistered();
  // The defaults the reader uses, made once: a tree writes them per item.
  static const Variant kNoName{std::string()}, kNumeric{kDefaultValueType}, kNoValue,
      kWritable{false};
  // Writing a default only removes an earlier entry, so into an empty bag
  // (the usual case: each property gets a bag of its own) the entries that
  // hold their defaults need not be written at all.
  const bool empty = bag.size() == 0;
  if (!empty || !name_.empty()) {
    ignoreErrors([&] { bag.writeProperty("Name", Variant(name_), kNoName); });
  }
  UpdateValueType();
  if (!empty || valueType_ != kDefaultValueType) {
    ignoreErrors([&] { bag.writeProperty("ValueType", Variant(valueType_), kNumeric); });
  }
  // A value the bag cannot store (an object that does not persist, or a
  // collection nested beyond the bag's depth limit) leaves the entry out; the
  // reader then restores Nothing (code 1) or 0 (code 2).
  ignoreErrors([&] { bag.writeProperty("Value", value_, kNoValue); });
  if (!empty || readOnly_) {
    ignoreErrors([&] { bag.writeProperty("ReadOnly", Variant(readOnly_), kWritable); });
  }
}

// Restoring sets the fields directly: the set-once name, the read-only flag
// and the latch do not apply to data the property wrote itself.
void KZProperty::readProperties(PropertyBag& bag) {
  properties::ensureClassesRegistered();
  ignoreErrors([&] { name_ = toText(bag.readProperty("Name", Variant(name_))); });
  ignoreErrors(
      [&] { valueType_ = toInt16(bag.readProperty("ValueType", Variant(kDefaultValueType))); });
  switch (valueType_) {
    case kObjectValue:
      ignoreErrors([&] { adoptObject(toObject(bag.readProperty("Value", Variant::nothing()))); });
      break;
    case kNumericValue:
      // Also the branch for data written without a "ValueType", which may
      // hold an object as well as a plain value. The entry is read once: a
      // second read with another default would find the same entry (or none),
      // and re-creating a nested tree twice per level would cost 2^depth.
      ignoreErrors([&] {
        Variant v = bag.readProperty("Value", Variant());
        if (ObjectRef* object = v.getIf<ObjectRef>()) {
          adoptObject(std::move(*object));
        } else if (v.isEmpty()) {
          value_ = Variant(std::int16_t{0});
        } else {
          value_ = std::move(v);
        }
      });
      break;
    default:
      ignoreErrors([&] { value_ = bag.readProperty("Value", Variant()); });
      break;
  }
  ignoreErrors([&] { readOnly_ = toBool(bag.readProperty("ReadOnly", Variant(false))); });
}

}  // namespace velmora
