// The per-user settings store: a tree of keys below the user's root, each key
// holding named string values. The interface has the shape of the registry
// calls the settings routines make (create or open a key, query, set,
// enumerate and delete values, delete a key, close), and every operation
// answers with the registry's own result codes, so the routines above can hand
// them to clients unchanged.
//
// Key paths are relative to the user's root, with "\" between levels:
//   - "" is the root itself (values may live there; it cannot be deleted);
//   - one trailing "\" is ignored, so "Software\App\" is "Software\App";
//   - a leading "\", an empty level ("A\\B"), a NUL byte, a level longer than
//     kMaxKeyNameBytes or more than kMaxKeyDepth levels give kInvalidParameter.
// Key and value names compare without regard to letter case (full Unicode
// case folding) and keep the case they were created with. Value names must
// not hold NUL bytes and are at most kMaxValueNameBytes long. Value data is
// any sequence of bytes.
#pragma once

#include <commonvelmora/settings.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// The result codes (regcode) and resultCodeText are public: see settings.h.

inline constexpr std::size_t kMaxKeyNameBytes = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxValueNameBytes = 16383;
// Settings are small; anything larger is refused with kInvalidParameter.
inline constexpr std::size_t kMaxValueDataBytes = std::size_t{256} << 20;

// An open key. Closing the key is destroying this object, so a key is closed
// on every path; a key must not outlive the store that opened it. Each
// operation is one transaction of its own. Operations on a key that another
// caller has deleted meanwhile give kKeyDeleted.
class RegistryKey {
 public:
  virtual ~RegistryKey();

  // Reads the data of `name` into `data` when it is at most `capacity` bytes;
  // kMoreData (and `data` untouched) when it is longer.
  virtual std::int32_t queryValue(std::string_view name, std::size_t capacity,
                                  std::string& data) = 0;
  // Creates or overwrites `name` as a string value holding `data`. An
  // overwrite keeps the value's place in the enumeration order and its name.
  virtual std::int32_t setStringValue(std::string_view name, std::string_view data) = 0;
  // The value at position `index` in creation order. Values are read ahead
  // in small chunks, each one consistent read: walking the indexes in order
  // sees every value that existed when its chunk was read. `nameCapacity` counts
  // the terminating zero of the platform's buffers, so a name needs fewer
  // bytes than that; data may fill `dataCapacity`. kMoreData when either does
  // not fit, kNoMoreItems past the end.
  // `name` and `data` stay valid until the next call on this key.
  virtual std::int32_t enumValue(std::uint32_t index, std::size_t nameCapacity,
                                 std::size_t dataCapacity, std::string_view& name,
                                 std::string_view& data) = 0;
  // The name of the sub-key at `index` in creation order; kNoMoreItems past the end.
  virtual std::int32_t enumSubKey(std::uint32_t index, std::string& name) = 0;
  virtual std::int32_t deleteValue(std::string_view name) = 0;
};

class RegistryStore {
 public:
  virtual ~RegistryStore();

  // Opens `path`, creating every missing level; `created` tells whether the
  // key itself was new.
  virtual std::int32_t createKey(std::string_view path, std::unique_ptr<RegistryKey>& key,
                                 bool& created) = 0;
  // Opening an existing key and querying one value in one step, for the
  // hot path of reading a setting: the same answer as openKey followed by
  // queryValue, from one consistent read. `keyFound` tells whether the key
  // exists; kNotFound for a missing key or value.
  virtual std::int32_t getValue(std::string_view path, std::string_view name, std::size_t capacity,
                                std::string& data, bool& keyFound) = 0;
  // Opens `path` only when it exists (kNotFound otherwise).
  virtual std::int32_t openKey(std::string_view path, std::unique_ptr<RegistryKey>& key) = 0;
  // Deletes the key with its values. A key that still has sub-keys is
  // refused with kAccessDenied, and so is the root.
  virtual std::int32_t deleteKey(std::string_view path) = 0;
  // Opens the store when it is not open yet and says what keeps it from
  // being used, in one sentence naming the file; "" when it is usable or
  // the cause is passing (busy, say: the result codes tell those).
  virtual std::string problem() = 0;
  // The file (or place) the store keeps its keys in, for messages.
  virtual std::string location() const = 0;
};

// Where the store reports, once per process and text (each names its file), a file it
// cannot use (the code every operation on it answers) or what it did to one
// (code 0: an upgrade, naming the copy kept). The frame sends these to the
// library's log; until a sink is set they are dropped.
using StoreReportSink = void (*)(std::int32_t code, std::string_view text);
void setStoreReportSink(StoreReportSink sink);
void reportStoreOnce(std::int32_t code, std::string_view text);

// The store of the user running the process, as this thread reaches it.
RegistryStore& userRegistryStore();

}  // namespace velmora
