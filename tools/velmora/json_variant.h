// Variants as JSON, for the command-line tool: plain JSON where a JSON value
// says it (text, 32-bit integer, double, boolean, null, a 0-based array of
// variants) and typed forms {"$kind": ...} for the rest:
//
//   {"$empty":true}  {"$missing":true}  {"$nothing":true}
//   {"$int16":N}  {"$byte":N}  {"$single":X}  {"$double":X|"inf"|"-inf"|"nan"}
//   {"$currency":"1.5"}  {"$date":"2024-03-07T23:59:00"}  {"$error":N}
//   {"$bytes":"BASE64"[,"lbound":N]}
//   {"$array":[...] | null [,"lbound":N | [N,...]] [,"element":"byte"]}
//   {"$new":"PROGID"}  {"$ref":N}          (out: {"$ref":N,"type":"NAME"})
//   {"$picture":"FILE"}                    a picture read from an image file
//   {"$grid":"FILE"}                       a reference grid loaded from a grid
//                                          description file ('velmora grid')
//
// In "$array" nested JSON arrays are further dimensions (rectangular, row by
// row); null is an array never dimensioned. Objects are numbered per session
// in order of first appearance, so a later call can name an object that an
// earlier one created or returned.
#pragma once

#include <commonvelmora/variant.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <vector>

namespace velmora::tool {

// JSON that stands for no variant: a usage error, not an automation error.
class JsonFormError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ObjectTable {
 public:
  // The object numbered `ref`; JsonFormError when there is none.
  ObjectRef find(std::int64_t ref) const;
  // The number of `object`, giving it the next one on first sight.
  std::int64_t number(const ObjectRef& object);

 private:
  std::vector<ObjectRef> objects_;  // number n is objects_[n - 1]
};

// "$new" creates the object through the ClassRegistry, so an unknown ProgID
// raises the AutomationError 429; "$picture" raises 53 or 481 for a file that
// cannot be read or holds no image; "$grid" raises 53 for a file that cannot
// be read and the description's own error for one that is no grid; any other
// bad form raises JsonFormError.
Variant variantFromJson(const nlohmann::ordered_json& json, ObjectTable& objects);
nlohmann::ordered_json jsonFromVariant(const Variant& value, ObjectTable& objects);

}  // namespace velmora::tool
