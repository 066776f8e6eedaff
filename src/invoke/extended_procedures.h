// ExtendedProcedures, the late-bound half: members of any automation object
// read, assigned or called by name with their arguments in one variant array,
// and the small file and array utilities.
//
// None of these raises. The late-bound routines report every failure as the
// result false after writing one error entry to the library's own log (the
// delegate component is never asked); the file utilities answer false.
#pragma once

#include <commonvelmora/object.h>
#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {
class FileSystem;
}

namespace velmora::invoke {

// True when `list` holds arguments: it has been dimensioned and the upper
// bound of its first dimension is 0 or more, whatever its lower bound (an
// array from 1 to 3 is true, one from -5 to -1 false).
inline bool CheckArray(const SafeArray& list) noexcept {
  return list.isDimensioned() && list.bounds().front().ubound() >= 0;
}

// --- Late-bound calls ---
//
// Every routine passes the elements ParList(0) .. ParList(n) in index order,
// as the caller's own variants: a member that assigns to an argument changes
// the caller's array. A list that holds no arguments (see CheckArray) calls
// the member without them. At most 11 elements are passed: a list whose upper
// bound is above 10 invokes nothing, writes a message entry naming the upper
// bound and gives true. A list whose element 0 does not exist (lower bound
// above 0), with more than one dimension, or of bytes, fails with 9 or 13.
//
// A failure (no object, no such member, the member's own error, a result
// that is no object where one is wanted) writes "<prefix><name>].\r\n
// <description>" with the error's number through the library's error writer
// and gives false; the output argument keeps what it held.

// The most list elements a call passes: upper bounds 0 to 10.
inline constexpr std::int32_t kMaxListUpperBound = 10;

// Assigns property `propName`: by reference (kind Set) when `propValue` is an
// object reference, "Nothing" included, else as a value (kind Let). The value
// is passed last, after the list elements, as this routine's own copy. The
// elements are moved out of the caller's array for the call and moved back
// after it (writes reach the caller as for the other calls), so a callee
// that looks at that array through another path meanwhile sees them empty.
bool ExecProperty(const ObjectRef& object, std::string_view propName, Variant propValue,
                  SafeArray& parList) noexcept;
// Reads property `propName` into `propValue`.
bool ReturnProperty(const ObjectRef& object, std::string_view propName, Variant& propValue,
                    SafeArray& parList) noexcept;
// Reads property `propName`, which must yield an object reference, into
// `propValue`.
bool ReturnPropertyObj(const ObjectRef& object, std::string_view propName, ObjectRef& propValue,
                       SafeArray& parList) noexcept;
// Calls method `metodName`, discarding its result.
bool ExecMetod(const ObjectRef& object, std::string_view metodName, SafeArray& parList) noexcept;
// Calls method `metodName` and stores its result into `retValue`.
bool ExecMetodLet(const ObjectRef& object, std::string_view metodName, Variant& retValue,
                  SafeArray& parList) noexcept;
// Calls method `metodName`, whose result must be an object reference, and
// stores it into `retValue`.
bool ExecMetodSet(const ObjectRef& object, std::string_view metodName, ObjectRef& retValue,
                  SafeArray& parList) noexcept;

// --- Files ---
//
// A file name may hold the wildcards `*` (any run of characters, none
// included) and `?` (exactly one character) in its last part; in the folder
// part they are plain characters. A pattern ending in ".*" also matches names
// without an extension, so "*.*" matches every file. Letter case counts, as
// it does in the names of the platform's files. A name without a folder part
// is looked up in the current folder. Only ordinary files match: never a
// folder, never a hidden or system file (see FileSystem::ordinaryFiles).

// True when `fileName` names, or its pattern matches, at least one ordinary
// file. An empty name is false without asking the file system.
bool CheckExistsFile(const std::string& fileName, FileSystem& fs) noexcept;
bool CheckExistsFile(const std::string& fileName) noexcept;

// Deletes every ordinary file that `fileName` names or matches. True when
// afterwards no ordinary file matches it any more; false when nothing
// matched or some file could not be deleted (the others are deleted all the
// same).
bool DeleteFile(const std::string& fileName, FileSystem& fs) noexcept;
bool DeleteFile(const std::string& fileName) noexcept;

// The wildcard rule above on one name: true when `name` matches `pattern`.
bool matchesFilePattern(std::string_view name, std::string_view pattern) noexcept;

}  // namespace velmora::invoke
