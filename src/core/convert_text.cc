// Text of values (CStr), type names (TypeName) and object references.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>

#include <cstdint>
#include <string>

#include "core/number_text.h"

namespace velmora {
namespace {

// Currency prints all its digits, with up to four decimals and no trailing
// zeros: 1.5, -0.0001, 922337203685477.5807.
std::string currencyText(Currency c, std::string_view separator) {
  const bool negative = c.scaled < 0;
  // Work on the magnitude as unsigned so the smallest value has one too.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
  std::string out = negative ? "-" : "";
  out.append(std::to_string(magnitude / 10000));
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) out.append(separator).append(fraction);
  return out;
}

}  // namespace

std::string doubleToText(double d) {
  return detail::formatSignificant(d, 15, regionalSettings().decimalSeparator);
}

// CStr. Error values, objects and arrays have no text: Type mismatch (13).
// An object's default member is not consulted.
std::string toText(const Variant& v) {
  if (const std::string* s = v.getIf<std::string>()) return *s;
  if (v.isEmpty()) return {};
  if (v.isNull()) throw AutomationError(err::kInvalidUseOfNull);
  if (const double* d = v.getIf<double>()) return doubleToText(*d);
  if (const float* f = v.getIf<float>()) {
    return detail::formatSignificant(*f, 7, regionalSettings().decimalSeparator);
  }
  if (const auto* i16 = v.getIf<std::int16_t>()) return std::to_string(*i16);
  if (const auto* i32 = v.getIf<std::int32_t>()) return std::to_string(*i32);
  if (const auto* b = v.getIf<std::uint8_t>()) return std::to_string(*b);
  if (const bool* f = v.getIf<bool>()) return *f ? "True" : "False";
  if (const Currency* c = v.getIf<Currency>()) {
    return currencyText(*c, regionalSettings().decimalSeparator);
  }
  if (const Date* dt = v.getIf<Date>()) return dateToText(*dt);
  throw AutomationError(err::kTypeMismatch);
}

std::string typeName(const Variant& v) {
  if (v.isArray()) {
    return v.array().elementType() == VarType::Byte ? "Byte()" : "Variant()";
  }
  if (const ObjectRef* o = v.getIf<ObjectRef>()) return *o ? (*o)->typeName() : "Nothing";
  switch (v.type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Int16:
      return "Integer";
    case VarType::Int32:
      return "Long";
    case VarType::Single:
      return "Single";
    case VarType::Double:
      return "Double";
    case VarType::Currency:
      return "Currency";
    case VarType::Date:
      return "Date";
    case VarType::String:
      return "String";
    case VarType::Error:
      return "Error";
    case VarType::Bool:
      return "Boolean";
    case VarType::Byte:
      return "Byte";
    default:
      return "Variant";
  }
}

ObjectRef toObject(const Variant& v) {
  if (const ObjectRef* o = v.getIf<ObjectRef>()) return *o;
  throw AutomationError(err::kTypeMismatch);
}

}  // namespace velmora
