#include <commonvelmora/error.h>

namespace velmora {

std::string AutomationError::standardDescription(std::int32_t number) {
  switch (number) {
    case err::kInvalidCall:
      return "Invalid procedure call or argument";
    case err::kOverflow:
      return "Overflow";
    case err::kOutOfMemory:
      return "Out of memory";
    case err::kSubscriptOutOfRange:
      return "Subscript out of range";
    case err::kTypeMismatch:
      return "Type mismatch";
    case err::kOutOfStack:
      return "Out of stack space";
    case err::kObjectNotSet:
      return "Object variable or With block variable not set";
    case err::kInvalidUseOfNull:
      return "Invalid use of Null";
    case err::kBadFileFormat:
      return "Invalid file format";
    case err::kDataValueNotFound:
      return "Data value named not found";
    case err::kCantCreateObject:
      return "ActiveX component can't create object";
    case err::kNoSuchMember:
      return "Object doesn't support this property or method";
    case err::kWrongArgCount:
      return "Wrong number of arguments or invalid property assignment";
    case err::kDuplicateKey:
      return "This key is already associated with an element of this collection";
    default:
      return "Application-defined or object-defined error";
  }
}

AutomationError::AutomationError(std::int32_t number)
    : AutomationError(number, standardDescription(number)) {}

AutomationError::AutomationError(std::int32_t number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

}  // namespace velmora
