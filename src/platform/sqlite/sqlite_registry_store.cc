#include "platform/sqlite/sqlite_registry_store.h"

#include <sqlite3.h>

#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "core/unicode_fold.h"
#include "platform/registry_path.h"
#include "platform/sqlite/read_cache.h"
#include "platform/sqlite/result_codes.h"
#include "platform/sqlite/sqlite_statement.h"
#include "platform/sqlite/store_location.h"
#include "platform/sqlite/store_schema.h"

namespace velmora::sqlite {
namespace {

constexpr std::int64_t kRootId = 1;

}  // namespace

struct SqliteRegistryStore::Connection {
  sqlite3* db = nullptr;
  std::chrono::milliseconds busyTimeout{0};
  std::chrono::steady_clock::time_point waitStart;

  Statement begin, commit, rollback;
  Statement keyByPath, childKey, insertKey, keyExists, hasSubKey, subKeyAt, removeKey;
  Statement valueData, upsertValue, removeValue, valueAt, valueAfter, removeKeyValues;
  Statement valueByPath, dataVersion;
  ReadCache cache;

  ~Connection() {
    // Closes once the statements, destroyed after this body, are finalized.
    sqlite3_close_v2(db);
  }

  // SQLite's busy handler: retry with short sleeps until the timeout, so a
  // writer gets the lock soon after another one releases it.
  static int waitForOthers(void* context, int attempts) {
    auto* self = static_cast<Connection*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (attempts == 0) self->waitStart = now;
    if (now - self->waitStart >= self->busyTimeout) return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(attempts < 20 ? 50 : 500));
    return 1;
  }

  int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

  // The first column of the first row of `sql` as text ("" when no row).
  int queryText(const char* sql, std::string& out) {
    Statement statement;
    int rc = statement.prepare(db, sql);
    if (rc != SQLITE_OK) return rc;
    rc = statement.step();
    out.clear();
    if (rc == SQLITE_ROW) out = statement.bytesAt(0);
    return rc == SQLITE_ROW ? SQLITE_DONE : rc;
  }

  std::int32_t useWal() {
    std::string mode;
    int rc = queryText("PRAGMA journal_mode", mode);
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
    // Switching needs the file to itself; another process opening the new
    // store at the same moment makes it busy for a moment.
    while (!failed(rc) && mode != "wal") {
      rc = queryText("PRAGMA journal_mode=WAL", mode);
      if ((rc & 0xff) == SQLITE_BUSY && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        rc = SQLITE_DONE;
        mode.clear();
      } else if (!failed(rc) && mode != "wal") {
        return regcode::kCantOpen;  // a file system without shared memory, say
      }
    }
    return failed(rc) ? registryCodeFor(rc) : regcode::kSuccess;
  }

  std::int32_t prepareStatements() {
    const std::pair<Statement*, const char*> all[] = {
        {&begin, "BEGIN IMMEDIATE"},
        {&commit, "COMMIT"},
        {&rollback, "ROLLBACK"},
        {&keyByPath, "SELECT id FROM keys WHERE path = ?1"},
        {&childKey, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2"},
        {&insertKey, "INSERT INTO keys(parent, name, folded, path) VALUES(?1, ?2, ?3, ?4)"},
        {&keyExists, "SELECT 1 FROM keys WHERE id = ?1"},
        {&hasSubKey, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1"},
        {&subKeyAt, "SELECT name FROM keys WHERE parent = ?1 ORDER BY id LIMIT 1 OFFSET ?2"},
        {&removeKey, "DELETE FROM keys WHERE id = ?1"},
        {&valueData, "SELECT data FROM vals WHERE key_id = ?1 AND folded = ?2"},
        // One statement, so one transaction that takes the write lock at once;
        // nothing is inserted when the key has been deleted meanwhile.
        {&upsertValue,
         "INSERT INTO vals(key_id, seq, folded, name, type, data)"
         " SELECT ?1, (SELECT COALESCE(MAX(seq), 0) + 1 FROM vals WHERE key_id = ?1), ?2, ?3, 1, ?4"
         " WHERE EXISTS (SELECT 1 FROM keys WHERE id = ?1)"
         " ON CONFLICT(key_id, folded) DO UPDATE SET type = excluded.type, data = excluded.data"},
        {&removeValue, "DELETE FROM vals WHERE key_id = ?1 AND folded = ?2"},
        {&valueAt,
         "SELECT seq, name, data FROM vals WHERE key_id = ?1 ORDER BY seq LIMIT ?3 OFFSET ?2"},
        {&valueAfter,
         "SELECT seq, name, data FROM vals WHERE key_id = ?1 AND seq > ?2 ORDER BY seq LIMIT ?3"},
        {&valueByPath,
         "SELECT k.id, v.data FROM keys k"
         " LEFT JOIN vals v ON v.key_id = k.id AND v.folded = ?2 WHERE k.path = ?1"},
        {&removeKeyValues, "DELETE FROM vals WHERE key_id = ?1"},
        {&dataVersion, "PRAGMA data_version"},
    };
    for (const auto& [statement, sql] : all) {
      if (const int rc = statement->prepare(db, sql); rc != SQLITE_OK) return registryCodeFor(rc);
    }
    return regcode::kSuccess;
  }

  // Runs `body` (returning a result code) inside BEGIN IMMEDIATE ... COMMIT;
  // anything but success rolls back, so an operation happens whole or not.
  // These writes make and remove keys, so the read cache forgets everything.
  template <class Body>
  std::int32_t writeTransaction(Body body) {
    const std::int32_t code = inTransaction(body);
    cache.forget();
    return code;
  }

  // Whether the read cache may answer now, having checked that nobody else
  // wrote the file since its contents were read. Inside a transaction of
  // ours (a write in progress) it may not.
  bool cacheUsable() {
    if (sqlite3_get_autocommit(db) != 0) {
      StatementScope query(dataVersion);
      if (query->step() == SQLITE_ROW) {
        cache.checked(query->int64At(0));
        return true;
      }
    }
    cache.forget();
    return false;
  }

  // The transaction of writeTransaction, without the cache's part.
  template <class Body>
  std::int32_t inTransaction(Body body) {
    int rc = begin.step();
    begin.reset();
    if (failed(rc)) return registryCodeFor(rc);
    std::int32_t code = body();
    if (code == regcode::kSuccess) {
      rc = commit.step();
      commit.reset();
      if (!failed(rc)) return regcode::kSuccess;
      code = registryCodeFor(rc);
    }
    if (sqlite3_get_autocommit(db) == 0) {
      rollback.step();
      rollback.reset();
    }
    return code;
  }

  bool keyGone(std::int64_t id) {
    StatementScope query(keyExists);
    query->bind(1, id);
    return query->step() == SQLITE_DONE;
  }

  // kNotFound, or kKeyDeleted when the reason is that the key itself is gone.
  std::int32_t notFound(std::int64_t id) {
    return keyGone(id) ? regcode::kKeyDeleted : regcode::kNotFound;
  }
};

namespace {

class SqliteRegistryKey final : public RegistryKey {
 public:
  SqliteRegistryKey(SqliteRegistryStore::Connection& connection, std::int64_t id)
      : c_(connection), id_(id) {}

  std::int32_t queryValue(std::string_view name, std::size_t capacity, std::string& data) override {
    if (!isValidValueName(name)) return regcode::kInvalidParameter;
    const std::string folded = foldCase(name);
    int rc = SQLITE_OK;
    {
      StatementScope query(c_.valueData);
      query->bind(1, id_);
      query->bind(2, folded);
      rc = query->step();
      if (rc == SQLITE_ROW) {
        const std::string_view bytes = query->bytesAt(0);
        if (bytes.size() > capacity) return regcode::kMoreData;
        data.assign(bytes);
        return regcode::kSuccess;
      }
    }
    return failed(rc) ? registryCodeFor(rc) : c_.notFound(id_);
  }

  std::int32_t setStringValue(std::string_view name, std::string_view data) override {
    if (!isValidValueName(name) || data.size() > kMaxValueDataBytes) {
      return regcode::kInvalidParameter;
    }
    chunk_.reset();
    const std::string folded = foldCase(name);
    int rc = SQLITE_OK;
    {
      StatementScope upsert(c_.upsertValue);
      upsert->bind(1, id_);
      upsert->bind(2, folded);
      upsert->bind(3, name);
      upsert->bind(4, data);
      rc = upsert->step();
    }
    c_.cache.forgetValues();
    if (failed(rc)) return registryCodeFor(rc);
    return sqlite3_changes(c_.db) == 0 ? regcode::kKeyDeleted : regcode::kSuccess;
  }

  std::int32_t enumValue(std::uint32_t index, std::size_t nameCapacity, std::size_t dataCapacity,
                         std::string_view& name, std::string_view& data) override {
    const std::size_t size = chunk_ ? chunk_->rows.size() : 0;
    const std::size_t end = chunkStart_ + size;
    if (index < chunkStart_ || index >= end) {
      // Walking the indexes in order continues after the last value seen,
      // so a whole key is listed in a few statements instead of one each.
      const bool next = size != 0 && index == end;
      const std::int64_t after = next ? chunk_->rows.back().seq : 0;
      if (next && size < kChunkRows) return regcode::kNoMoreItems;
      if (const std::int32_t code = fetchChunk(index, next, after); code != regcode::kSuccess) {
        return code;
      }
      if (chunk_->rows.empty()) return regcode::kNoMoreItems;
    }
    const ValueChunk::Row& row = chunk_->rows[index - chunkStart_];
    if (row.nameSize >= nameCapacity || row.dataSize > dataCapacity) return regcode::kMoreData;
    name = chunk_->name(row);
    data = chunk_->data(row);
    return regcode::kSuccess;
  }

  std::int32_t enumSubKey(std::uint32_t index, std::string& name) override {
    StatementScope query(c_.subKeyAt);
    query->bind(1, id_);
    query->bind(2, static_cast<std::int64_t>(index));
    const int rc = query->step();
    if (rc == SQLITE_DONE) return regcode::kNoMoreItems;
    if (rc != SQLITE_ROW) return registryCodeFor(rc);
    name.assign(query->bytesAt(0));
    return regcode::kSuccess;
  }

  std::int32_t deleteValue(std::string_view name) override {
    if (!isValidValueName(name)) return regcode::kInvalidParameter;
    chunk_.reset();
    const std::string folded = foldCase(name);
    int rc = SQLITE_OK;
    {
      StatementScope remove(c_.removeValue);
      remove->bind(1, id_);
      remove->bind(2, folded);
      rc = remove->step();
    }
    c_.cache.forgetValues();
    if (failed(rc)) return registryCodeFor(rc);
    return sqlite3_changes(c_.db) == 0 ? c_.notFound(id_) : regcode::kSuccess;
  }

 private:
  static constexpr std::size_t kChunkRows = 256;

  // Reads up to kChunkRows values from position `index`, or those after
  // `afterSeq` when `next`. Each chunk is one consistent read. The first
  // chunk of a key is what a listing reads again and again, so it comes
  // from the connection's read cache while the file is unchanged.
  std::int32_t fetchChunk(std::uint32_t index, bool next, std::int64_t afterSeq) {
    chunk_.reset();
    chunkStart_ = index;
    const bool first = index == 0 && !next;
    const bool cached = first && c_.cacheUsable();
    if (cached) {
      chunk_ = c_.cache.firstChunk(id_);
      if (chunk_) return regcode::kSuccess;
    }
    auto chunk = std::make_shared<ValueChunk>();
    StatementScope query(next ? c_.valueAfter : c_.valueAt);
    query->bind(1, id_);
    query->bind(2, next ? afterSeq : static_cast<std::int64_t>(index));
    query->bind(3, static_cast<std::int64_t>(kChunkRows));
    int rc = SQLITE_OK;
    while ((rc = query->step()) == SQLITE_ROW) {
      chunk->add(query->int64At(0), query->bytesAt(1), query->bytesAt(2));
    }
    if (rc != SQLITE_DONE) return registryCodeFor(rc);
    if (cached) c_.cache.addFirstChunk(id_, chunk);
    chunk_ = std::move(chunk);
    return regcode::kSuccess;
  }

  SqliteRegistryStore::Connection& c_;
  std::int64_t id_;
  // Values chunkStart_, chunkStart_ + 1, ... as last read; shared with the
  // read cache, which never changes a chunk once made.
  std::shared_ptr<const ValueChunk> chunk_;
  std::uint32_t chunkStart_ = 0;
};

}  // namespace

SqliteRegistryStore::SqliteRegistryStore(std::string path, std::chrono::milliseconds busyTimeout)
    : path_(std::move(path)), busyTimeout_(busyTimeout) {}

SqliteRegistryStore::~SqliteRegistryStore() = default;

std::int32_t SqliteRegistryStore::open() {
  if (connection_) return regcode::kSuccess;
  if (const std::int32_t code = prepareStoreFile(path_); code != regcode::kSuccess) return code;
  auto connection = std::make_unique<Connection>();
  connection->busyTimeout = busyTimeout_;
  const int rc = sqlite3_open_v2(path_.c_str(), &connection->db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return registryCodeFor(rc);
  sqlite3_extended_result_codes(connection->db, 1);
  sqlite3_busy_handler(connection->db, &Connection::waitForOthers, connection.get());
  // A file of a later version, or no store at all, is refused before
  // anything (the journal mode included) is written to it.
  SchemaOutcome outcome = checkStoreFile(connection->db, path_);
  std::int32_t code = outcome.code;
  if (code == regcode::kSuccess) code = connection->useWal();
  if (code == regcode::kSuccess && connection->exec("PRAGMA synchronous=NORMAL") != SQLITE_OK) {
    code = regcode::kCantOpen;
  }
  if (code == regcode::kSuccess) {
    outcome = prepareStoreSchema(connection->db, path_, busyTimeout_);
    code = outcome.code;
  }
  if (code == regcode::kSuccess) code = connection->prepareStatements();
  problem_ = std::move(outcome.problem);
  if (!problem_.empty()) reportStoreOnce(code, problem_);
  if (!outcome.backup.empty()) {
    reportStoreOnce(regcode::kSuccess, "The settings file " + path_ +
                                           " was upgraded from an earlier version; the file as it "
                                           "was is kept as " +
                                           outcome.backup);
  }
  if (code == regcode::kSuccess) connection_ = std::move(connection);
  return code;
}

std::string SqliteRegistryStore::problem() {
  open();
  return connection_ ? std::string() : problem_;
}

std::int32_t SqliteRegistryStore::createKey(std::string_view path,
                                            std::unique_ptr<RegistryKey>& key, bool& created) {
  key.reset();
  created = false;
  if (const std::int32_t code = checkKeyPath(path); code != regcode::kSuccess) return code;
  if (const std::int32_t code = open(); code != regcode::kSuccess) return code;
  Connection& c = *connection_;
  const std::string_view trimmed = trimKeyPath(path);
  std::int64_t id = kRootId;
  if (const std::int32_t code = findKey(trimmed, id); code != regcode::kNotFound) {
    if (code == regcode::kSuccess) key = std::make_unique<SqliteRegistryKey>(c, id);
    return code;
  }

  // Some level is missing: walk down from the root under the write lock,
  // creating what is missing (another process may have made some meanwhile).
  bool madeLast = false;
  const std::int32_t code = c.writeTransaction([&]() -> std::int32_t {
    for (const std::string_view level : keyPathLevels(trimmed)) {
      const std::string foldedLevel = foldCase(level);
      const std::size_t end =
          static_cast<std::size_t>(level.data() - trimmed.data()) + level.size();
      {
        StatementScope find(c.childKey);
        find->bind(1, id);
        find->bind(2, foldedLevel);
        const int rc = find->step();
        if (rc == SQLITE_ROW) {
          id = find->int64At(0);
          madeLast = false;
          continue;
        }
        if (rc != SQLITE_DONE) return registryCodeFor(rc);
      }
      const std::string foldedPath = foldCase(trimmed.substr(0, end));
      StatementScope insert(c.insertKey);
      insert->bind(1, id);
      insert->bind(2, level);
      insert->bind(3, foldedLevel);
      insert->bind(4, foldedPath);
      if (const int rc = insert->step(); rc != SQLITE_DONE) return registryCodeFor(rc);
      id = sqlite3_last_insert_rowid(c.db);
      madeLast = true;
    }
    return regcode::kSuccess;
  });
  if (code != regcode::kSuccess) return code;
  created = madeLast;
  key = std::make_unique<SqliteRegistryKey>(c, id);
  return regcode::kSuccess;
}

std::int32_t SqliteRegistryStore::findKey(std::string_view trimmed, std::int64_t& id) {
  if (trimmed.empty()) {
    id = kRootId;
    return regcode::kSuccess;
  }
  Connection& c = *connection_;
  const std::string folded = foldCase(trimmed);
  const bool cached = c.cacheUsable();
  if (cached) {
    if (const std::int64_t* known = c.cache.keyId(folded)) {
      id = *known;
      return regcode::kSuccess;
    }
  }
  StatementScope query(c.keyByPath);
  query->bind(1, folded);
  const int rc = query->step();
  if (rc == SQLITE_DONE) return regcode::kNotFound;
  if (rc != SQLITE_ROW) return registryCodeFor(rc);
  id = query->int64At(0);
  if (cached) c.cache.addKeyId(folded, id);
  return regcode::kSuccess;
}

std::int32_t SqliteRegistryStore::getValue(std::string_view path, std::string_view name,
                                           std::size_t capacity, std::string& data,
                                           bool& keyFound) {
  keyFound = false;
  if (const std::int32_t code = checkKeyPath(path); code != regcode::kSuccess) return code;
  if (!isValidValueName(name)) return regcode::kInvalidParameter;
  if (const std::int32_t code = open(); code != regcode::kSuccess) return code;
  Connection& c = *connection_;
  const std::string foldedPath = foldCase(trimKeyPath(path));
  const std::string foldedName = foldCase(name);
  const auto answer = [&](const ValueLookup& found) {
    keyFound = found.keyFound;
    if (!found.valueFound) return regcode::kNotFound;
    if (found.data.size() > capacity) return regcode::kMoreData;
    data.assign(found.data);
    return regcode::kSuccess;
  };
  const bool cached = c.cacheUsable();
  if (cached) {
    if (const ValueLookup* known = c.cache.value(foldedPath, foldedName)) return answer(*known);
  }
  ValueLookup found;
  {
    StatementScope query(c.valueByPath);
    query->bind(1, foldedPath);
    query->bind(2, foldedName);
    const int rc = query->step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return registryCodeFor(rc);
    found.keyFound = rc == SQLITE_ROW;
    found.valueFound = found.keyFound && !query->isNullAt(1);
    if (found.valueFound) {
      const std::string_view bytes = query->bytesAt(1);
      // Too large to keep and too large to hand out: spare the copy.
      if (bytes.size() > capacity && bytes.size() > ReadCache::kMaxValueBytes) {
        keyFound = true;
        return regcode::kMoreData;
      }
      found.data.assign(bytes);
    }
  }
  const std::int32_t code = answer(found);
  if (cached) c.cache.addValue(foldedPath, foldedName, std::move(found));
  return code;
}

std::int32_t SqliteRegistryStore::openKey(std::string_view path,
                                          std::unique_ptr<RegistryKey>& key) {
  key.reset();
  if (const std::int32_t code = checkKeyPath(path); code != regcode::kSuccess) return code;
  if (const std::int32_t code = open(); code != regcode::kSuccess) return code;
  std::int64_t id = 0;
  const std::int32_t code = findKey(trimKeyPath(path), id);
  if (code == regcode::kSuccess) key = std::make_unique<SqliteRegistryKey>(*connection_, id);
  return code;
}

std::int32_t SqliteRegistryStore::deleteKey(std::string_view path) {
  if (const std::int32_t code = checkKeyPath(path); code != regcode::kSuccess) return code;
  const std::string_view trimmed = trimKeyPath(path);
  if (trimmed.empty()) return regcode::kAccessDenied;  // the root stays
  if (const std::int32_t code = open(); code != regcode::kSuccess) return code;
  Connection& c = *connection_;
  return c.writeTransaction([&]() -> std::int32_t {
    std::int64_t id = 0;
    if (const std::int32_t code = findKey(trimmed, id); code != regcode::kSuccess) return code;
    {
      StatementScope children(c.hasSubKey);
      children->bind(1, id);
      const int rc = children->step();
      if (rc == SQLITE_ROW) return regcode::kAccessDenied;
      if (rc != SQLITE_DONE) return registryCodeFor(rc);
    }
    for (Statement* remove : {&c.removeKeyValues, &c.removeKey}) {
      StatementScope scope(*remove);
      scope->bind(1, id);
      if (const int rc = scope->step(); rc != SQLITE_DONE) return registryCodeFor(rc);
    }
    return regcode::kSuccess;
  });
}

}  // namespace velmora::sqlite
