// The settings store against its anchors, side by side in one run:
//   - the floor of this backend: bare SQLite prepared statements doing the
//     same look-ups and writes on the same file, without our layers;
//   - QSettings with an INI file, reading after sync() so that it sees what
//     other processes wrote, as every read of ours does.
#include <benchmark/benchmark.h>
#include <commonvelmora/variant.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <QSettings>
#include <QString>
#include <filesystem>
#include <string>

#include "core/unicode_fold.h"
#include "registry/edit_regestry.h"

namespace {

constexpr const char* kKey = "Software\\Velmora, Ltd.\\Bench";
constexpr const char* kListKey = "Software\\Velmora, Ltd.\\Bench\\Columns";
constexpr int kListValues = 100;
constexpr int kRepetitions = 9;

// A private store with one value to read and a key of 100 values to list.
struct Fixture {
  std::filesystem::path folder;
  std::string storeFile;
  std::string iniFile;

  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cvbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    storeFile = (folder / "registry.sqlite3").string();
    iniFile = (folder / "settings.ini").string();
    ::setenv("VELMORA_REGISTRY", storeFile.c_str(), 1);
    using velmora::Variant;
    velmora::registry::SetRegistryValue(kKey, "Left", Variant("1200"));
    QSettings ini(QString::fromStdString(iniFile), QSettings::IniFormat);
    ini.setValue("Bench/Left", "1200");
    for (int i = 0; i < kListValues; ++i) {
      const std::string name = "Column" + std::to_string(i);
      velmora::registry::SetRegistryValue(kListKey, name, Variant("Price|900|3|True"));
      ini.setValue(QString::fromStdString("Columns/" + name), "Price|900|3|True");
    }
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

// Bare SQLite on the store's own tables: the look-ups our operations make,
// with the folded names computed once, outside the loop.
struct Bare {
  sqlite3* db = nullptr;
  sqlite3_stmt* keyByPath = nullptr;
  sqlite3_stmt* valueByPath = nullptr;
  sqlite3_stmt* upsert = nullptr;
  sqlite3_stmt* listValues = nullptr;

  Bare() {
    sqlite3_open_v2(fixture().storeFile.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db, 5000);
    prepare("SELECT id FROM keys WHERE path = ?1", keyByPath);
    prepare(
        "SELECT v.data FROM keys k JOIN vals v ON v.key_id = k.id AND v.folded = ?2"
        " WHERE k.path = ?1",
        valueByPath);
    prepare(
        "INSERT INTO vals(key_id, seq, folded, name, type, data)"
        " SELECT ?1, (SELECT COALESCE(MAX(seq), 0) + 1 FROM vals WHERE key_id = ?1), ?2, ?3, 1, ?4"
        " ON CONFLICT(key_id, folded) DO UPDATE SET data = excluded.data",
        upsert);
    prepare("SELECT name, data FROM vals WHERE key_id = ?1 ORDER BY seq", listValues);
  }
  void prepare(const char* sql, sqlite3_stmt*& statement) {
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) std::abort();
  }
  ~Bare() {
    for (sqlite3_stmt* s : {keyByPath, valueByPath, upsert, listValues}) sqlite3_finalize(s);
    sqlite3_close(db);
  }

  sqlite3_int64 keyId(const std::string& foldedPath) {
    sqlite3_bind_blob(keyByPath, 1, foldedPath.data(), static_cast<int>(foldedPath.size()),
                      SQLITE_STATIC);
    sqlite3_int64 id = 0;
    if (sqlite3_step(keyByPath) == SQLITE_ROW) id = sqlite3_column_int64(keyByPath, 0);
    sqlite3_reset(keyByPath);
    return id;
  }
};

void BM_ReadRegistryValue(benchmark::State& state) {
  fixture();
  std::int32_t code = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        velmora::registry::ReadRegistryValue(kKey, "Left", code, velmora::Variant::missing()));
  }
}

// The read as one statement: key and value looked up together.
void BM_BareSqliteRead(benchmark::State& state) {
  fixture();
  Bare bare;
  const std::string path = velmora::foldCase(kKey);
  const std::string name = velmora::foldCase("Left");
  sqlite3_stmt* q = bare.valueByPath;
  for (auto _ : state) {
    sqlite3_bind_blob(q, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_blob(q, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    if (sqlite3_step(q) == SQLITE_ROW) {
      std::string data(static_cast<const char*>(sqlite3_column_blob(q, 0)),
                       static_cast<std::size_t>(sqlite3_column_bytes(q, 0)));
      benchmark::DoNotOptimize(data);
    }
    sqlite3_reset(q);
  }
}

void BM_QSettingsRead(benchmark::State& state) {
  QSettings ini(QString::fromStdString(fixture().iniFile), QSettings::IniFormat);
  for (auto _ : state) {
    ini.sync();
    benchmark::DoNotOptimize(ini.value("Bench/Left"));
  }
}

void BM_SetRegistryValue(benchmark::State& state) {
  fixture();
  std::int32_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        velmora::registry::SetRegistryValue(kKey, "Top", velmora::Variant(++i)));
  }
}

void BM_BareSqliteWrite(benchmark::State& state) {
  fixture();
  Bare bare;
  const std::string path = velmora::foldCase(kKey);
  const std::string name = velmora::foldCase("Top");
  std::int32_t i = 0;
  for (auto _ : state) {
    const std::string data = std::to_string(++i);
    const sqlite3_int64 id = bare.keyId(path);
    sqlite3_bind_int64(bare.upsert, 1, id);
    sqlite3_bind_blob(bare.upsert, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_blob(bare.upsert, 3, "Top", 3, SQLITE_STATIC);
    sqlite3_bind_blob(bare.upsert, 4, data.data(), static_cast<int>(data.size()), SQLITE_STATIC);
    benchmark::DoNotOptimize(sqlite3_step(bare.upsert));
    sqlite3_reset(bare.upsert);
  }
}

void BM_QSettingsWrite(benchmark::State& state) {
  QSettings ini(QString::fromStdString(fixture().iniFile), QSettings::IniFormat);
  int i = 0;
  for (auto _ : state) {
    ini.setValue("Bench/Top", ++i);
    ini.sync();
  }
}

void BM_ReadAllValue(benchmark::State& state) {
  fixture();
  for (auto _ : state) benchmark::DoNotOptimize(velmora::registry::ReadAllValue(kListKey));
}

void BM_BareSqliteReadAll(benchmark::State& state) {
  fixture();
  Bare bare;
  const std::string path = velmora::foldCase(kListKey);
  for (auto _ : state) {
    const sqlite3_int64 id = bare.keyId(path);
    sqlite3_bind_int64(bare.listValues, 1, id);
    std::vector<std::pair<std::string, std::string>> rows;
    while (sqlite3_step(bare.listValues) == SQLITE_ROW) {
      rows.emplace_back(
          std::string(static_cast<const char*>(sqlite3_column_blob(bare.listValues, 0)),
                      static_cast<std::size_t>(sqlite3_column_bytes(bare.listValues, 0))),
          std::string(static_cast<const char*>(sqlite3_column_blob(bare.listValues, 1)),
                      static_cast<std::size_t>(sqlite3_column_bytes(bare.listValues, 1))));
    }
    sqlite3_reset(bare.listValues);
    benchmark::DoNotOptimize(rows);
  }
}

void BM_QSettingsReadAll(benchmark::State& state) {
  QSettings ini(QString::fromStdString(fixture().iniFile), QSettings::IniFormat);
  for (auto _ : state) {
    ini.sync();
    ini.beginGroup("Columns");
    for (const QString& name : ini.childKeys()) benchmark::DoNotOptimize(ini.value(name));
    ini.endGroup();
  }
}

#define VELMORA_BENCH(fn)          \
  BENCHMARK(fn)                    \
      ->Repetitions(kRepetitions)  \
      ->ReportAggregatesOnly(true) \
      ->Unit(benchmark::kMicrosecond)

VELMORA_BENCH(BM_ReadRegistryValue);
VELMORA_BENCH(BM_BareSqliteRead);
VELMORA_BENCH(BM_QSettingsRead);
VELMORA_BENCH(BM_SetRegistryValue);
VELMORA_BENCH(BM_BareSqliteWrite);
VELMORA_BENCH(BM_QSettingsWrite);
VELMORA_BENCH(BM_ReadAllValue);
VELMORA_BENCH(BM_BareSqliteReadAll);
VELMORA_BENCH(BM_QSettingsReadAll);

}  // namespace

BENCHMARK_MAIN();
