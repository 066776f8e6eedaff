// The layout of the settings store file, its version, and what a build does
// with a file of another version.
//
// The version is SQLite's `PRAGMA user_version`:
//
//   version  layout                                     this build
//   0        no tables: a new, empty file               lays out version 1
//   0        the first layout (written before the       upgrades in place
//            version was recorded)
//   1        the first layout: values numbered across   upgrades in place
//            the whole store, an extra index on key
//   1        today's: values clustered by key, in       uses it
//            creation order within their key
//   > 1      a later build's                            leaves it untouched
//
// The promise: a build reads every version up to its own, upgrading older
// files in place in one transaction, after writing a copy of the file as it
// was beside it ("registry.sqlite3.bak-1", or the next free number; a copy
// is never overwritten). A build never changes a file of a later version:
// every operation on it answers kNewerStore. A later build that changes the
// layout so that this build could not use it raises the version; a change
// this build would not notice (an added index, say) keeps it. A file that is
// not a database, or a database that is not a settings store, is left
// exactly as it is and every operation answers kBadDatabase; a damaged one
// kRegistryCorrupt.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace velmora::sqlite {

inline constexpr std::int64_t kStoreVersion = 1;

// What opening found and did, for the log and for `velmora reg`.
struct SchemaOutcome {
  std::int32_t code = 0;  // a registry result code: 0 when the store is usable
  std::string problem;    // why it is not, naming the file ("" when usable)
  std::string backup;     // the copy written before an upgrade ("" when none)
};

// Reads the version and layout of the open file `db` (at `path`) without
// writing anything. A later version, a file that is no database or no
// store, gives its failure code and problem.
SchemaOutcome checkStoreFile(sqlite3* db, const std::string& path);

// Lays out a new file or upgrades an older one in one transaction; a file
// found in today's layout is left alone. Other processes doing the same at
// once are waited for up to `busyTimeout`. Call after checkStoreFile
// succeeded and the journal mode is set.
SchemaOutcome prepareStoreSchema(sqlite3* db, const std::string& path,
                                 std::chrono::milliseconds busyTimeout);

}  // namespace velmora::sqlite
