// What one connection has read lately, kept for as long as nobody else has
// written the store file, so that reading the same key again costs one
// check instead of its look-ups.
//
// Why serving from it is safe:
//   - SQLite's data version of a connection ("PRAGMA data_version") moves
//     whenever another connection, of this process or any other, has
//     committed since this connection last read; checking it is itself a
//     read of the file's current state. An unchanged version proves that
//     only this connection can have written meanwhile.
//   - This connection's own commits do not move the version, so every write
//     of ours forgets, once it is done (committed or not), everything it may
//     have changed: writing values forgets every value read, and a write
//     that creates or deletes keys forgets everything.
//   - A result is recorded under the version checked BEFORE it was read: a
//     commit landing between the check and the read makes the next check
//     forget a result that was newer than needed, never serve an older one.
// So an answer from the cache is the answer the file gave at the moment of
// the check, as a read made then would have given it.
//
// The cache is small: a few key ids, single values of at most
// kMaxValueBytes, and the first chunk of a few keys' values, each chunk at
// most kMaxChunkBytes; the oldest entry makes room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::sqlite {

// A run of a key's values in creation order as one read gave them: for each
// value its sequence number, and its name and data side by side in `bytes`.
struct ValueChunk {
  struct Row {
    std::int64_t seq;
    std::size_t nameAt;
    std::size_t nameSize;
    std::size_t dataSize;
  };
  std::vector<Row> rows;
  std::string bytes;

  void add(std::int64_t seq, std::string_view name, std::string_view data) {
    rows.push_back({seq, bytes.size(), name.size(), data.size()});
    bytes.append(name).append(data);
  }
  std::string_view name(const Row& row) const {
    return std::string_view(bytes).substr(row.nameAt, row.nameSize);
  }
  std::string_view data(const Row& row) const {
    return std::string_view(bytes).substr(row.nameAt + row.nameSize, row.dataSize);
  }
};

// What reading one value of one key found.
struct ValueLookup {
  bool keyFound = false;
  bool valueFound = false;
  std::string data;
};

class ReadCache {
 public:
  static constexpr std::size_t kMaxKeys = 32;
  static constexpr std::size_t kMaxValues = 64;
  static constexpr std::size_t kMaxValueBytes = 4096;
  static constexpr std::size_t kMaxChunks = 16;
  static constexpr std::size_t kMaxChunkBytes = std::size_t{64} << 10;

  // Keeps the contents when they were read under data version `version`,
  // forgets them otherwise; what is added next counts as read under it.
  void checked(std::int64_t version);
  // Forgets everything: after a write of this connection, or when the
  // version could not be checked. Nothing can be added until checked().
  void forget();
  // Forgets the values read, keeping the key ids: after this connection
  // wrote or deleted values, which moves no key.
  void forgetValues();

  // The id of the key at case-folded path `foldedPath`, or nullptr.
  const std::int64_t* keyId(std::string_view foldedPath) const;
  void addKeyId(std::string_view foldedPath, std::int64_t id);

  // What reading `foldedName` of the key at `foldedPath` found, or nullptr.
  const ValueLookup* value(std::string_view foldedPath, std::string_view foldedName) const;
  void addValue(std::string_view foldedPath, std::string_view foldedName, ValueLookup lookup);

  // The values of key `keyId` from its first one, or null.
  std::shared_ptr<const ValueChunk> firstChunk(std::int64_t keyId) const;
  void addFirstChunk(std::int64_t keyId, std::shared_ptr<const ValueChunk> chunk);

 private:
  bool checked_ = false;
  std::int64_t version_ = 0;
  struct ValueEntry {
    std::string foldedPath;
    std::string foldedName;
    ValueLookup lookup;
  };
  std::vector<std::pair<std::string, std::int64_t>> keyIds_;
  std::vector<ValueEntry> values_;
  std::vector<std::pair<std::int64_t, std::shared_ptr<const ValueChunk>>> chunks_;
};

}  // namespace velmora::sqlite
