// Turning SQLite's result codes into the settings store's registry codes.
#pragma once

#include <sqlite3.h>

#include <cstdint>

namespace velmora::sqlite {

// Whether a SQLite result is a failure (neither OK, a row nor done).
inline bool failed(int rc) { return rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE; }

// The registry code for a failed SQLite call (`rc` is neither SQLITE_OK,
// SQLITE_ROW nor SQLITE_DONE).
std::int32_t registryCodeFor(int rc);

}  // namespace velmora::sqlite
