// EditRegestry: the per-user settings store reached through key paths below
// the user's root, every value kept as a string in its stored form
// (stored_form.h). The routines raise no error for store failures: they
// report the store's result codes unchanged (0 success, 2 not found, 5
// access denied, 234 more data, ...; see platform/registry_store.h, which
// also gives the key path rules: "" is the root, one trailing "\" is
// ignored, a leading "\" or an empty level is refused with 87).
//
// Every routine but DeleteRegistryKey opens its key creating the missing
// levels; every key opened is closed on every path, errors included.
#pragma once

#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::registry {

// The suite's settings root below the current user, with its trailing "\":
// what Work.RegestryString answers and where grid layouts are kept.
inline constexpr std::string_view kSuiteRoot = "Software\\Velmora, Ltd.\\";

// The value `valueName` of `regKey` in its read form (text, or a double for
// "&h" data). When it is missing, or its key was missing, and a default is
// given (not Variant::missing()), the default is stored and returned as it
// was given. `errorCode` receives the result of the last store operation.
// Data over 1024 bytes is not read: 234, and the default is returned but
// not written over it. "&h" data that is no number raises Type mismatch.
Variant ReadRegistryValue(const std::string& regKey, const std::string& valueName,
                          std::int32_t& errorCode, const Variant& defaultValue);
// Stores `value` in its stored form. A value that has none (array, object,
// number beyond 32 bits) raises its error before anything, not even the
// key, is written.
std::int32_t SetRegistryValue(const std::string& regKey, const std::string& valueName,
                              const Variant& value);
std::int32_t DeleteRegistryValue(const std::string& regKey, const std::string& valueName);
// Deletes the key and its values; a key with sub-keys (and the root) is
// refused with 5 and keeps everything.
std::int32_t DeleteRegistryKey(const std::string& regKey);
// Every value of the key as a table with bounds (0 to 1, 0 to n-1): row 0
// the names, row 1 the read forms, in creation order (an overwrite keeps
// its place). The empty variant when the key was missing or has no values.
// The listing stops, without error, at a name of 1024 bytes or more or at
// data over 1024 bytes.
Variant ReadAllValue(const std::string& regKey);
// Writes table(1, i) under the text of table(0, i) for i from 0 to the upper
// bound of the second dimension. A table that is not such an array ends the
// walk without error; the result is the code of the last write (0 if none).
std::int32_t SetAllValue(const std::string& regKey, Variant& arrayValue);

}  // namespace velmora::registry
