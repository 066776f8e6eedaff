#include "json_variant.h"

#include <commonvelmora/class_registry.h>
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/object.h>
#include <commonvelmora/picture.h>
#include <commonvelmora/reference_grid.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "text_input.h"

namespace velmora::tool {

using json = nlohmann::ordered_json;

ObjectRef ObjectTable::find(std::int64_t ref) const {
  if (ref < 1 || ref > static_cast<std::int64_t>(objects_.size())) {
    throw JsonFormError("no object $ref " + std::to_string(ref));
  }
  return objects_[static_cast<std::size_t>(ref - 1)];
}

std::int64_t ObjectTable::number(const ObjectRef& object) {
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i] == object) return static_cast<std::int64_t>(i + 1);
  }
  objects_.push_back(object);
  return static_cast<std::int64_t>(objects_.size());
}

namespace {

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t chunk = std::uint32_t{bytes[i]} << 16;
    if (n > 1) chunk |= std::uint32_t{bytes[i + 1]} << 8;
    if (n > 2) chunk |= bytes[i + 2];
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kBase64[(chunk >> (18 - 6 * k)) & 63] : '=';
    }
  }
  return out;
}

std::vector<std::uint8_t> base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) throw JsonFormError("$bytes is not base64");
  std::vector<std::uint8_t> out;
  out.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    std::uint32_t chunk = 0;
    std::size_t padding = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const char c = text[i + k];
      std::size_t digit = 0;
      if (c == '=' && i + 4 == text.size() && k >= 2) {
        ++padding;
      } else if (padding > 0 || (digit = kBase64.find(c)) == std::string_view::npos) {
        throw JsonFormError("$bytes is not base64");
      }
      chunk = (chunk << 6) | static_cast<std::uint32_t>(digit);
    }
    out.push_back(static_cast<std::uint8_t>(chunk >> 16));
    if (padding < 2) out.push_back(static_cast<std::uint8_t>(chunk >> 8));
    if (padding < 1) out.push_back(static_cast<std::uint8_t>(chunk));
  }
  return out;
}

std::int64_t integerOf(const json& j, std::string_view what) {
  if (!j.is_number_integer()) throw JsonFormError(std::string(what) + " needs an integer");
  if (j.is_number_unsigned() &&
      j.get<std::uint64_t>() > std::uint64_t{std::numeric_limits<std::int64_t>::max()}) {
    throw JsonFormError(std::string(what) + " is out of range");
  }
  return j.get<std::int64_t>();
}

template <class T>
T integerIn(const json& j, std::string_view what) {
  const std::int64_t n = integerOf(j, what);
  if (n < std::numeric_limits<T>::min() || n > std::numeric_limits<T>::max()) {
    throw JsonFormError(std::string(what) + " is out of range");
  }
  return static_cast<T>(n);
}

// Currency as exact decimal text: digits with up to four decimal places.
Currency currencyFromText(std::string_view text) {
  bool negative = false;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t scaled = 0;
  int decimals = -1;
  bool anyDigit = false;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (c < '0' || c > '9' || decimals == 4 || scaled > kLimit) {
      throw JsonFormError("$currency needs a decimal text with up to four places");
    }
    scaled = scaled * 10 + (c - '0');
    anyDigit = true;
    if (decimals >= 0) ++decimals;
  }
  if (!anyDigit) throw JsonFormError("$currency needs a decimal text with up to four places");
  for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) {
    if (scaled > kLimit) throw JsonFormError("$currency is out of range");
    scaled *= 10;
  }
  return Currency{negative ? -scaled : scaled};
}

std::string currencyText(Currency c) {
  const bool negative = c.scaled < 0;
  // Magnitude as unsigned, so that the most negative value needs no care.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(c.scaled) : static_cast<std::uint64_t>(c.scaled);
  std::string text = std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return negative ? "-" + text : text;
}

Date dateFromText(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
  const bool dateOnly =
      std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) == 3 &&
      static_cast<std::size_t>(used) == text.size();
  const bool full = !dateOnly &&
                    std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day,
                                &hour, &minute, &second, &used) == 6 &&
                    static_cast<std::size_t>(used) == text.size();
  if ((!dateOnly && !full) || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
      minute > 59 || second > 59) {
    throw JsonFormError("$date needs YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS");
  }
  return dateFromParts(year, month, day, hour, minute, second);
}

std::string dateText(Date d) {
  const DateParts p = dateToParts(d);
  std::array<char, 40> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month,
                p.day, p.hour, p.minute, p.second);
  return buffer.data();
}

double doubleFromJson(const json& j) {
  if (j.is_number()) return j.get<double>();
  if (j == "inf") return std::numeric_limits<double>::infinity();
  if (j == "-inf") return -std::numeric_limits<double>::infinity();
  if (j == "nan") return std::numeric_limits<double>::quiet_NaN();
  throw JsonFormError("$double needs a number, \"inf\", \"-inf\" or \"nan\"");
}

json jsonOfDouble(double d) {
  if (std::isnan(d)) return {{"$double", "nan"}};
  if (std::isinf(d)) return {{"$double", d > 0 ? "inf" : "-inf"}};
  return d;
}

// --- Arrays ---

std::vector<std::int32_t> lboundsOf(const json& form, std::size_t dims) {
  std::vector<std::int32_t> lbounds(dims, 0);
  const auto it = form.find("lbound");
  if (it == form.end()) return lbounds;
  if (it->is_array()) {
    if (it->size() != dims) throw JsonFormError("\"lbound\" needs one bound per dimension");
    for (std::size_t d = 0; d < dims; ++d) lbounds[d] = integerIn<std::int32_t>((*it)[d], "lbound");
  } else {
    lbounds.assign(dims, integerIn<std::int32_t>(*it, "lbound"));
  }
  return lbounds;
}

// Walks a rectangular nest of JSON arrays row by row.
void flatten(const json& nest, const std::vector<std::int32_t>& counts, std::size_t dim,
             std::vector<const json*>& out) {
  if (dim == counts.size()) {
    out.push_back(&nest);
    return;
  }
  if (!nest.is_array() || nest.size() != static_cast<std::size_t>(counts[dim])) {
    throw JsonFormError("$array is not rectangular");
  }
  for (const json& item : nest) flatten(item, counts, dim + 1, out);
}

Variant arrayFromJson(const json& form, ObjectTable& objects) {
  const json& nest = form.at("$array");
  const bool bytes = form.contains("element") && form["element"] == "byte";
  if (form.contains("element") && !bytes) throw JsonFormError("\"element\" can only be \"byte\"");
  if (nest.is_null()) return SafeArray(bytes ? VarType::Byte : VarType::Variant, {});
  if (!nest.is_array()) throw JsonFormError("$array needs a JSON array or null");
  // Dimensions from the first element at each depth; a nested array that is
  // empty ends the descent.
  std::vector<std::int32_t> counts;
  for (const json* level = &nest; level->is_array(); level = &level->front()) {
    counts.push_back(static_cast<std::int32_t>(level->size()));
    if (level->empty()) break;
  }
  const std::vector<std::int32_t> lbounds = lboundsOf(form, counts.size());
  std::vector<SafeArray::Bound> bounds;
  for (std::size_t d = 0; d < counts.size(); ++d) bounds.push_back({lbounds[d], counts[d]});
  std::vector<const json*> items;
  flatten(nest, counts, 0, items);
  SafeArray array(bytes ? VarType::Byte : VarType::Variant, bounds);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (bytes) {
      array.bytes()[i] = integerIn<std::uint8_t>(*items[i], "byte element");
    } else {
      array.variants()[i] = variantFromJson(*items[i], objects);
    }
  }
  return array;
}

json nestOf(const SafeArray& array, std::size_t dim, std::size_t& cursor, ObjectTable& objects) {
  json level = json::array();
  const auto count = static_cast<std::size_t>(array.bounds()[dim].count);
  for (std::size_t i = 0; i < count; ++i) {
    if (dim + 1 < array.bounds().size()) {
      level.push_back(nestOf(array, dim + 1, cursor, objects));
    } else if (array.elementType() == VarType::Byte) {
      level.push_back(array.bytes()[cursor++]);
    } else {
      level.push_back(jsonFromVariant(array.variants()[cursor++], objects));
    }
  }
  return level;
}

json jsonOfArray(const SafeArray& array, ObjectTable& objects) {
  const bool bytes = array.elementType() == VarType::Byte;
  if (!array.isDimensioned()) {
    json form = {{"$array", nullptr}};
    if (bytes) form["element"] = "byte";
    return form;
  }
  const auto& bounds = array.bounds();
  bool sameLbound = true;
  for (const auto& b : bounds) sameLbound = sameLbound && b.lbound == bounds[0].lbound;
  json lbound = bounds[0].lbound;
  if (!sameLbound) {
    lbound = json::array();
    for (const auto& b : bounds) lbound.push_back(b.lbound);
  }
  if (bytes && bounds.size() == 1) {
    json form = {{"$bytes", base64Encode(array.bytes())}};
    if (bounds[0].lbound != 0) form["lbound"] = lbound;
    return form;
  }
  std::size_t cursor = 0;
  json nest = nestOf(array, 0, cursor, objects);
  if (!bytes && bounds.size() == 1 && bounds[0].lbound == 0) return nest;
  json form = {{"$array", std::move(nest)}};
  if (!sameLbound || bounds[0].lbound != 0) form["lbound"] = lbound;
  if (bytes) form["element"] = "byte";
  return form;
}

Variant typedFromJson(const json& form, ObjectTable& objects) {
  std::string kind;
  for (const auto& [key, value] : form.items()) {
    if (key.starts_with('$')) {
      if (!kind.empty()) throw JsonFormError("one $ form per object");
      kind = key;
    }
  }
  if (kind.empty()) throw JsonFormError("a JSON object needs a $ form, e.g. {\"$int16\":5}");
  const json& v = form[kind];
  if (kind == "$empty") return Variant();
  if (kind == "$missing") return Variant::missing();
  if (kind == "$nothing") return Variant::nothing();
  if (kind == "$int16") return integerIn<std::int16_t>(v, kind);
  if (kind == "$byte") return integerIn<std::uint8_t>(v, kind);
  if (kind == "$error") return ErrorCode{integerIn<std::int32_t>(v, kind)};
  if (kind == "$single") {
    if (!v.is_number()) throw JsonFormError("$single needs a number");
    return static_cast<float>(v.get<double>());
  }
  if (kind == "$double") return doubleFromJson(v);
  if (kind == "$currency") {
    if (v.is_number_integer()) return Currency{integerOf(v, kind) * 10000};
    if (!v.is_string()) throw JsonFormError("$currency needs a decimal text");
    return currencyFromText(v.get<std::string>());
  }
  if (kind == "$date") {
    if (!v.is_string()) throw JsonFormError("$date needs a text");
    return dateFromText(v.get<std::string>());
  }
  if (kind == "$bytes") {
    if (!v.is_string()) throw JsonFormError("$bytes needs a base64 text");
    SafeArray array = SafeArray::ofBytes(base64Decode(v.get<std::string>()));
    const std::int32_t lbound = lboundsOf(form, 1)[0];
    if (lbound != 0) {
      SafeArray moved(VarType::Byte, {{lbound, array.bounds()[0].count}});
      moved.bytes() = std::move(array.bytes());
      return moved;
    }
    return array;
  }
  if (kind == "$array") return arrayFromJson(form, objects);
  if (kind == "$new") {
    if (!v.is_string()) throw JsonFormError("$new needs a ProgID");
    ObjectRef object = createObject(v.get<std::string>());
    objects.number(object);
    return object;
  }
  if (kind == "$picture") {
    if (!v.is_string()) throw JsonFormError("$picture needs a file name");
    ObjectRef picture = Picture::fromFile(v.get<std::string>());
    objects.number(picture);
    return picture;
  }
  if (kind == "$grid") {
    if (!v.is_string()) throw JsonFormError("$grid needs a file name");
    // Standard input carries the calls of 'velmora call -', so it is no
    // description file.
    if (v == "-") throw JsonFormError("$grid needs a file name, not -");
    std::string description;
    if (!readInput(v.get<std::string>(), description)) throw AutomationError(53, "File not found");
    ObjectRef grid = loadGridDescription(description);
    objects.number(grid);
    return grid;
  }
  if (kind == "$ref") return objects.find(integerOf(v, kind));
  throw JsonFormError("unknown form " + kind);
}

}  // namespace

Variant variantFromJson(const json& j, ObjectTable& objects) {
  switch (j.type()) {
    case json::value_t::string:
      return j.get<std::string>();
    case json::value_t::boolean:
      return j.get<bool>();
    case json::value_t::null:
      return Variant::null();
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: {
      // Beyond 32 bits an integer becomes a double, as a script literal does.
      if (j.is_number_unsigned() &&
          j.get<std::uint64_t>() > std::uint64_t{std::numeric_limits<std::int32_t>::max()}) {
        return j.get<double>();
      }
      const std::int64_t n = j.get<std::int64_t>();
      if (n < std::numeric_limits<std::int32_t>::min() ||
          n > std::numeric_limits<std::int32_t>::max()) {
        return j.get<double>();
      }
      return static_cast<std::int32_t>(n);
    }
    case json::value_t::number_float:
      return j.get<double>();
    case json::value_t::array: {
      std::vector<Variant> items;
      items.reserve(j.size());
      for (const json& item : j) items.push_back(variantFromJson(item, objects));
      return SafeArray::ofVariants(std::move(items));
    }
    case json::value_t::object:
      return typedFromJson(j, objects);
    default:
      throw JsonFormError("unsupported JSON value");
  }
}

json jsonFromVariant(const Variant& v, ObjectTable& objects) {
  if (v.isMissing()) return {{"$missing", true}};
  if (v.isArray()) return jsonOfArray(v.array(), objects);
  switch (v.type()) {
    case VarType::Empty:
      return {{"$empty", true}};
    case VarType::Null:
      return nullptr;
    case VarType::Int16:
      return {{"$int16", v.as<std::int16_t>()}};
    case VarType::Int32:
      return v.as<std::int32_t>();
    case VarType::Single:
      return {{"$single", static_cast<double>(v.as<float>())}};
    case VarType::Double:
      return jsonOfDouble(v.as<double>());
    case VarType::Currency:
      return {{"$currency", currencyText(v.as<Currency>())}};
    case VarType::Date:
      return {{"$date", dateText(v.as<Date>())}};
    case VarType::String:
      return v.text();
    case VarType::Object: {
      const ObjectRef& object = v.object();
      if (!object) return {{"$nothing", true}};
      return {{"$ref", objects.number(object)}, {"type", object->typeName()}};
    }
    case VarType::Error:
      return {{"$error", v.as<ErrorCode>().scode}};
    case VarType::Bool:
      return v.as<bool>();
    case VarType::Byte:
      return {{"$byte", v.as<std::uint8_t>()}};
    default:
      throw JsonFormError("a variant of unknown kind");
  }
}

}  // namespace velmora::tool
