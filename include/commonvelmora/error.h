// The one exception type of the library: an automation error with the
// runtime's number and description. Log lines and clients depend on both,
// so the standard numbers carry the runtime's own texts.
#pragma once

#include <commonvelmora/export.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velmora {

// The runtime's standard error numbers used by the library.
namespace err {
inline constexpr std::int32_t kInvalidCall = 5;          // Invalid procedure call or argument
inline constexpr std::int32_t kOverflow = 6;             // Overflow
inline constexpr std::int32_t kOutOfMemory = 7;          // Out of memory
inline constexpr std::int32_t kSubscriptOutOfRange = 9;  // Subscript out of range
inline constexpr std::int32_t kTypeMismatch = 13;        // Type mismatch
inline constexpr std::int32_t kOutOfStack = 28;          // Out of stack space
inline constexpr std::int32_t kObjectNotSet = 91;  // Object variable or With block variable not set
inline constexpr std::int32_t kInvalidUseOfNull = 94;    // Invalid use of Null
inline constexpr std::int32_t kDataValueNotFound = 327;  // Data value named not found
inline constexpr std::int32_t kCantCreateObject = 429;   // ActiveX component can't create object
inline constexpr std::int32_t kNoSuchMember =
    438;  // Object doesn't support this property or method
inline constexpr std::int32_t kWrongArgCount =
    450;  // Wrong number of arguments or invalid property assignment
inline constexpr std::int32_t kDuplicateKey =
    457;  // This key is already associated with an element of this collection
inline constexpr std::int32_t kBadFileFormat = 321;  // Invalid file format
}  // namespace err

class VELMORA_EXPORT AutomationError : public std::runtime_error {
 public:
  // Uses the runtime's standard description for `number`.
  explicit AutomationError(std::int32_t number);
  AutomationError(std::int32_t number, std::string description);

  std::int32_t number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }

  // The runtime's text for a standard error number ("" when unknown).
  static std::string standardDescription(std::int32_t number);

 private:
  std::int32_t number_;
  std::string description_;
};

}  // namespace velmora
