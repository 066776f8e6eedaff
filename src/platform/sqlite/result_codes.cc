#include "platform/sqlite/result_codes.h"

#include <sqlite3.h>

#include "platform/registry_store.h"

namespace velmora::sqlite {

std::int32_t registryCodeFor(int rc) {
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return regcode::kBusy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return regcode::kAccessDenied;
    case SQLITE_CANTOPEN:
      return regcode::kCantOpen;
    case SQLITE_NOTADB:
      return regcode::kBadDatabase;
    case SQLITE_CORRUPT:
    case SQLITE_CONSTRAINT:
      return regcode::kRegistryCorrupt;  // our own rules broken on disk
    case SQLITE_IOERR:
      return rc == SQLITE_IOERR_NOMEM ? regcode::kNotEnoughMemory : regcode::kRegistryIoFailed;
    case SQLITE_FULL:
      return regcode::kDiskFull;
    case SQLITE_NOMEM:
      return regcode::kNotEnoughMemory;
    case SQLITE_TOOBIG:
      return regcode::kInvalidParameter;
    default:
      return regcode::kBadDatabase;  // a database, but not a settings store we know
  }
}

}  // namespace velmora::sqlite
