#include "platform/sqlite/store_schema.h"

#include <string_view>
#include <thread>

#include "platform/registry_store.h"
#include "platform/sqlite/result_codes.h"
#include "platform/sqlite/sqlite_statement.h"
#include "platform/sqlite/store_location.h"

namespace velmora::sqlite {
namespace {

// Today's layout. The folded full path makes opening an existing key a
// single look-up; the parent and folded level name keep the tree and its
// sibling uniqueness. Values are kept clustered by key in creation order, so
// listing a key is one range scan; the name index finds a single value.
constexpr const char* kLayout = R"sql(
CREATE TABLE keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER NOT NULL,
  name BLOB NOT NULL,
  folded BLOB NOT NULL,
  path BLOB NOT NULL UNIQUE);
CREATE UNIQUE INDEX keys_by_parent ON keys(parent, folded);
CREATE TABLE vals(
  key_id INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  folded BLOB NOT NULL,
  name BLOB NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key_id, seq)) WITHOUT ROWID;
CREATE UNIQUE INDEX vals_by_name ON vals(key_id, folded);
INSERT INTO keys(id, parent, name, folded, path) VALUES(1, 0, x'', x'', x'');
PRAGMA user_version = 1;
)sql";

// The first layout numbered values across the whole store (seq was the
// rowid) and indexed them by key. The numbers already run in creation order
// within each key, so they are kept as they are.
// An upgrade step stays as it was written: it leads to version 1 even when
// a later layout changes kLayout, and the next step takes it from there.
constexpr const char* kFromFirstLayout = R"sql(
CREATE TABLE vals_clustered(
  key_id INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  folded BLOB NOT NULL,
  name BLOB NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key_id, seq)) WITHOUT ROWID;
INSERT INTO vals_clustered(key_id, seq, folded, name, type, data)
  SELECT key_id, seq, folded, name, type, data FROM vals;
DROP TABLE vals;
ALTER TABLE vals_clustered RENAME TO vals;
CREATE UNIQUE INDEX vals_by_name ON vals(key_id, folded);
PRAGMA user_version = 1;
)sql";

enum class Layout { kEmpty, kFirst, kToday, kForeign };

// The first row's first column of `sql` as a number; `found` false when no row.
int queryNumber(sqlite3* db, const char* sql, std::int64_t& out, bool* found = nullptr) {
  Statement statement;
  int rc = statement.prepare(db, sql);
  if (rc != SQLITE_OK) return rc;
  rc = statement.step();
  if (found != nullptr) *found = rc == SQLITE_ROW;
  out = rc == SQLITE_ROW ? statement.int64At(0) : 0;
  return rc == SQLITE_ROW ? SQLITE_DONE : rc;
}

int readLayout(sqlite3* db, Layout& layout) {
  std::int64_t objects = 0;
  int rc = queryNumber(db, "SELECT count(*) FROM sqlite_master", objects);
  if (failed(rc)) return rc;
  if (objects == 0) {
    layout = Layout::kEmpty;
    return rc;
  }
  std::int64_t tables = 0;
  rc = queryNumber(db,
                   "SELECT count(*) FROM sqlite_master WHERE type = 'table'"
                   " AND name IN ('keys', 'vals')",
                   tables);
  if (failed(rc)) return rc;
  // Where seq stands in the values' primary key tells the two layouts apart.
  std::int64_t seqKeyPlace = 0;
  bool found = false;
  if (tables == 2) {
    rc = queryNumber(db, "SELECT pk FROM pragma_table_info('vals') WHERE name = 'seq'", seqKeyPlace,
                     &found);
    if (failed(rc)) return rc;
  }
  layout = !found             ? Layout::kForeign
           : seqKeyPlace == 2 ? Layout::kToday
           : seqKeyPlace == 1 ? Layout::kFirst
                              : Layout::kForeign;
  return rc;
}

SchemaOutcome failure(int rc, const std::string& path) {
  SchemaOutcome out;
  out.code = registryCodeFor(rc);
  if (out.code == regcode::kBadDatabase) {
    out.problem = "the settings file " + path + " is not a database; it was left as it is";
  } else if (out.code == regcode::kRegistryCorrupt) {
    out.problem = "the settings file " + path + " is damaged; it was left as it is";
  }
  return out;
}

SchemaOutcome foreign(const std::string& path) {
  return {
      regcode::kBadDatabase,
      "the settings file " + path + " is a database but not a settings store; it was left as it is",
      ""};
}

// Copies the open database, as this connection's read transaction sees it,
// to a new private file beside it.
int writeBackup(sqlite3* db, const std::string& path, std::string& backup) {
  backup = createBackupFile(path);
  if (backup.empty()) return SQLITE_CANTOPEN;
  sqlite3* copy = nullptr;
  int rc = sqlite3_open_v2(backup.c_str(), &copy, SQLITE_OPEN_READWRITE, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_backup* job = sqlite3_backup_init(copy, "main", db, "main");
    rc = job == nullptr ? sqlite3_errcode(copy) : sqlite3_backup_step(job, -1);
    const int finished = sqlite3_backup_finish(job);
    if (rc == SQLITE_DONE) rc = finished;
  }
  if (rc == SQLITE_OK) rc = sqlite3_close(copy);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(copy);
    removeFile(backup);
    backup.clear();
  }
  return rc;
}

// Runs inside one transaction: only one process lays out or upgrades a
// file, and the others find the work done.
// What this build does with a file of `version` and `layout`.
enum class Plan { kUse, kLayOut, kUpgrade, kRefuse };

Plan planFor(std::int64_t version, Layout layout) {
  if (version == kStoreVersion && layout == Layout::kToday) return Plan::kUse;
  if (version == 0 && layout == Layout::kEmpty) return Plan::kLayOut;
  const bool ours = layout == Layout::kFirst || layout == Layout::kToday;
  return ours && version >= 0 && version <= kStoreVersion ? Plan::kUpgrade : Plan::kRefuse;
}

// Reads the file's version and layout, and refuses the files this build
// must not touch.
SchemaOutcome examine(sqlite3* db, const std::string& path, Plan& plan, Layout& layout) {
  std::int64_t version = 0;
  int rc = queryNumber(db, "PRAGMA user_version", version);
  if (failed(rc)) return failure(rc, path);
  if (version > kStoreVersion) {
    return {regcode::kNewerStore,
            "the settings file " + path + " was written by a newer version of the library (store " +
                "version " + std::to_string(version) + "; this version reads up to " +
                std::to_string(kStoreVersion) + "); it was left untouched",
            ""};
  }
  rc = readLayout(db, layout);
  if (failed(rc)) return failure(rc, path);
  plan = planFor(version, layout);
  return plan == Plan::kRefuse ? foreign(path) : SchemaOutcome{};
}

// Runs inside one transaction: only one process lays out or upgrades a
// file, and the others find the work done.
SchemaOutcome layOutOrUpgrade(sqlite3* db, const std::string& path) {
  Plan plan = Plan::kRefuse;
  Layout layout = Layout::kForeign;
  SchemaOutcome out = examine(db, path, plan, layout);
  if (out.code != regcode::kSuccess || plan == Plan::kUse) return out;
  int rc = SQLITE_OK;
  if (plan == Plan::kLayOut) {
    rc = sqlite3_exec(db, kLayout, nullptr, nullptr, nullptr);
    return failed(rc) ? failure(rc, path) : out;
  }
  rc = writeBackup(db, path, out.backup);
  if (!failed(rc)) {
    rc = sqlite3_exec(db, layout == Layout::kFirst ? kFromFirstLayout : "PRAGMA user_version = 1",
                      nullptr, nullptr, nullptr);
  }
  if (failed(rc)) {
    // The file keeps its old layout; the copy, if any, is not needed.
    if (!out.backup.empty()) removeFile(out.backup);
    return failure(rc, path);
  }
  return out;
}

}  // namespace

SchemaOutcome checkStoreFile(sqlite3* db, const std::string& path) {
  Plan plan = Plan::kRefuse;
  Layout layout = Layout::kForeign;
  return examine(db, path, plan, layout);
}

SchemaOutcome prepareStoreSchema(sqlite3* db, const std::string& path,
                                 std::chrono::milliseconds busyTimeout) {
  Plan plan = Plan::kRefuse;
  Layout layout = Layout::kForeign;
  if (SchemaOutcome out = examine(db, path, plan, layout); out.code != regcode::kSuccess) {
    return out;
  }
  if (plan == Plan::kUse) return {};  // the common case
  int rc = SQLITE_OK;
  // The copy has to be read in the snapshot the upgrade starts from, which
  // a transaction holding the write lock cannot do: read first, then write.
  // Should another process write in between, the write fails at once and
  // everything is done again from what that process left.
  const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
  for (;;) {
    rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    if (failed(rc)) return failure(rc, path);
    SchemaOutcome out = layOutOrUpgrade(db, path);
    if (out.code == regcode::kSuccess) {
      rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
      if (failed(rc)) {
        if (!out.backup.empty()) removeFile(out.backup);
        out = failure(rc, path);
      }
    }
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    if (out.code != regcode::kBusy || std::chrono::steady_clock::now() >= deadline) return out;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace velmora::sqlite
