// The settings store in one SQLite database file.
//
// Layout (see store_schema.h for its versions): a table of keys (each with its parent, its name as
// created, the case-folded name, and the case-folded full path for a one-step look-up) and a table
// of values (key, case-folded name, name as created, type, data). A value's sequence number within
// its key is its place in creation order: a new value takes the next number, an overwrite updates
// the row in place and so keeps its place.
//
// The file runs in WAL mode, so readers never wait for a writer. Every
// operation is one transaction; writes take the write lock at once and wait
// for other processes up to the busy timeout, then fail with kBusy. Commits
// are durable against a crash of the process (synchronous=NORMAL); after a
// power loss the last few commits may be missing, never half written.
//
// A connection remembers the ids of keys it opened and the first values of
// keys it listed, and answers from them again while a one-step check shows
// that no other connection has written the file (see read_cache.h).
//
// One object is one connection and must stay on one thread. The file is
// opened on first use, and opening is retried after a failure, so a store
// that was missing, busy or read-only recovers once the cause is gone.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/registry_store.h"

namespace velmora::sqlite {

class SqliteRegistryStore final : public RegistryStore {
 public:
  SqliteRegistryStore(std::string path, std::chrono::milliseconds busyTimeout);
  ~SqliteRegistryStore() override;

  std::int32_t createKey(std::string_view path, std::unique_ptr<RegistryKey>& key,
                         bool& created) override;
  std::int32_t getValue(std::string_view path, std::string_view name, std::size_t capacity,
                        std::string& data, bool& keyFound) override;
  std::int32_t openKey(std::string_view path, std::unique_ptr<RegistryKey>& key) override;
  std::int32_t deleteKey(std::string_view path) override;
  std::string problem() override;
  std::string location() const override { return path_; }

  const std::string& path() const { return path_; }

  struct Connection;  // the open database and its prepared statements

 private:
  std::int32_t open();
  // The id of the existing key at checked, trimmed `path`: kSuccess with
  // `id` set, or kNotFound.
  std::int32_t findKey(std::string_view trimmed, std::int64_t& id);

  std::string path_;
  std::chrono::milliseconds busyTimeout_;
  std::unique_ptr<Connection> connection_;
  std::string problem_;  // why the last opening failed, naming the file
};

}  // namespace velmora::sqlite
