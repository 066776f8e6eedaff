// Turning SQLite's result codes into the settings store's registry codes.
#pragma once

#include <cstdint>

namespace velmora::sqlite {

// The registry code for a failed SQLite call (`rc` is neither SQLITE_OK,
// SQLITE_ROW nor SQLITE_DONE).
std::int32_t registryCodeFor(int rc);

}  // namespace velmora::sqlite
