#include "platform/registry/Store.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kelto::registry {

namespace {

constexpr int kSchemaVersion = 1;
// How long a writer waits for another process's transaction. Writes are tiny,
// so anything near this means a stuck process rather than contention.
constexpr int kBusyTimeoutMs = 10000;

std::int64_t NowFileTime() {
  using namespace std::chrono;
  constexpr std::int64_t kEpochDelta = 116444736000000000LL;
  const auto ticks =
      duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
  return kEpochDelta + ticks;
}

}  // namespace

std::string FoldName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// A prepared statement, finalized on every path.
class Store::Statement {
 public:
  Statement(Store& store, const char* sql) : db_(store.Db()) {
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) != SQLITE_OK) Fail();
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int i, std::int64_t v) {
    Check(sqlite3_bind_int64(stmt_, i, v));
    return *this;
  }
  Statement& Bind(int i, std::string_view v) {
    Check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& BindBlob(int i, const BYTE* data, std::size_t size) {
    // An empty value is stored as an empty blob, never as NULL.
    static const BYTE kNothing = 0;
    Check(sqlite3_bind_blob(stmt_, i, size ? data : &kNothing, static_cast<int>(size),
                            SQLITE_TRANSIENT));
    return *this;
  }

  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail();
  }
  void Run() {
    while (Step()) {
    }
  }

  std::int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
  std::string Text(int col) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
  }
  std::vector<BYTE> Blob(int col) {
    const auto* p = static_cast<const BYTE*>(sqlite3_column_blob(stmt_, col));
    const int n = sqlite3_column_bytes(stmt_, col);
    return p ? std::vector<BYTE>(p, p + n) : std::vector<BYTE>();
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail();
  }
  [[noreturn]] void Fail() { throw StoreError(sqlite3_errmsg(db_), sqlite3_extended_errcode(db_)); }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

Store::Store(std::string path, StoreKind kind) : path_(std::move(path)), kind_(kind) {
  std::error_code ec;
  // A machine store another user made and this one may not change is read.
  readOnly_ = kind_ == StoreKind::Machine && std::filesystem::exists(path_, ec) &&
              access(path_.c_str(), W_OK) != 0;
  if (!readOnly_) {
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    std::filesystem::create_directories(folder, ec);
    if (ec)
      throw StoreError("cannot create " + folder.string() + ": " + ec.message(), SQLITE_CANTOPEN);
  }
  Open();
  InitSchema();
}

Store::~Store() {
  // A child process inherits the parent's connection but must not close it:
  // closing would act on locks and WAL files the parent still uses.
  if (db_ && pid_ == getpid()) sqlite3_close_v2(db_);
}

void Store::Open() {
  sqlite3* db = nullptr;
  const int flags = readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  const int rc = sqlite3_open_v2(path_.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw StoreError("cannot open " + path_ + ": " + msg, rc);
  }
  db_ = db;
  pid_ = getpid();
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db_, 1);
  if (readOnly_) return;
  if (kind_ == StoreKind::Machine) {
    // See StoreKind. TRUNCATE rather than DELETE: the same guarantees, without
    // creating and removing the journal file at every commit.
    Exec("PRAGMA journal_mode=TRUNCATE");
    Exec("PRAGMA synchronous=NORMAL");
    return;
  }
  // WAL lets readers in other processes go on while one writes; with
  // synchronous=NORMAL a commit is atomic and survives a crash of the
  // process, and only a power cut may lose the last commits (never tear one).
  Exec("PRAGMA journal_mode=WAL");
  Exec("PRAGMA synchronous=NORMAL");
}

sqlite3* Store::Db() {
  if (pid_ != getpid()) {
    // Forked: SQLite connections must not cross a fork, so the child opens
    // its own and leaves the inherited one alone (see the destructor).
    db_ = nullptr;
    Open();
  }
  return db_;
}

void Store::Exec(const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(Db(), sql, nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : sqlite3_errmsg(db_);
    sqlite3_free(err);
    throw StoreError(msg, sqlite3_extended_errcode(db_));
  }
}

void Store::InitSchema() {
  int version = 0;
  {
    Statement st(*this, "PRAGMA user_version");
    if (st.Step()) version = static_cast<int>(st.Int(0));
  }
  if (version == kSchemaVersion) return;
  if (readOnly_)
    throw StoreError(path_ + " is not a settings store this user can read", SQLITE_CANTOPEN);
  if (version > kSchemaVersion)
    throw StoreError(
        path_ + " was written by a newer version (schema " + std::to_string(version) + ")",
        SQLITE_CANTOPEN);
  Transaction tx(*this, true);
  Exec(
      "CREATE TABLE IF NOT EXISTS keys("
      " id INTEGER PRIMARY KEY AUTOINCREMENT,"
      " parent INTEGER NOT NULL,"
      " name TEXT NOT NULL,"
      " fold TEXT NOT NULL,"
      " mtime INTEGER NOT NULL DEFAULT 0,"
      " UNIQUE(parent, fold));"
      "CREATE TABLE IF NOT EXISTS vals("
      " key INTEGER NOT NULL,"
      " name TEXT NOT NULL,"
      " fold TEXT NOT NULL,"
      " type INTEGER NOT NULL,"
      " data BLOB NOT NULL,"
      " PRIMARY KEY(key, fold)) WITHOUT ROWID;"
      "INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES"
      " (1, 0, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT'),"
      " (2, 0, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),"
      " (3, 0, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),"
      " (4, 0, 'HKEY_USERS', 'HKEY_USERS');"
      "PRAGMA user_version=1;");
  tx.Commit();
}

Store::Transaction::Transaction(Store& store, bool write) : store_(store) {
  store_.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Store::Transaction::~Transaction() {
  if (!done_) sqlite3_exec(store_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Store::Transaction::Commit() {
  store_.Exec("COMMIT");
  done_ = true;
}

bool Store::KeyExists(std::int64_t id) {
  Statement st(*this, "SELECT 1 FROM keys WHERE id = ?1");
  return st.Bind(1, id).Step();
}

std::optional<std::int64_t> Store::FindChild(std::int64_t parent, std::string_view name) {
  Statement st(*this, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
  st.Bind(1, parent).Bind(2, FoldName(name));
  if (!st.Step()) return std::nullopt;
  return st.Int(0);
}

std::int64_t Store::CreateChild(std::int64_t parent, std::string_view name) {
  Statement st(*this, "INSERT INTO keys(parent, name, fold, mtime) VALUES(?1, ?2, ?3, ?4)");
  st.Bind(1, parent).Bind(2, name).Bind(3, FoldName(name)).Bind(4, NowFileTime()).Run();
  return sqlite3_last_insert_rowid(Db());
}

bool Store::HasChildren(std::int64_t id) {
  Statement st(*this, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
  return st.Bind(1, id).Step();
}

std::optional<KeyRow> Store::ChildAt(std::int64_t parent, std::int64_t index) {
  Statement st(*this,
               "SELECT name, mtime FROM keys WHERE parent = ?1 ORDER BY fold, name "
               "LIMIT 1 OFFSET ?2");
  st.Bind(1, parent).Bind(2, index);
  if (!st.Step()) return std::nullopt;
  return KeyRow{st.Text(0), st.Int(1)};
}

void Store::DeleteKey(std::int64_t id) {
  Statement(*this, "DELETE FROM vals WHERE key = ?1").Bind(1, id).Run();
  Statement(*this, "DELETE FROM keys WHERE id = ?1").Bind(1, id).Run();
}

void Store::DeleteTree(std::int64_t id, bool includeSelf) {
  // The subtree's ids, the key itself included; the values of all of them go.
  static constexpr const char* kTree =
      "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL"
      " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";
  Statement(*this,
            (std::string(kTree) + "DELETE FROM vals WHERE key IN (SELECT id FROM tree)").c_str())
      .Bind(1, id)
      .Run();
  Statement(*this, (std::string(kTree) + "DELETE FROM keys WHERE id IN (SELECT id FROM tree)" +
                    (includeSelf ? "" : " AND id <> ?1"))
                       .c_str())
      .Bind(1, id)
      .Run();
  if (!includeSelf) Touch(id);
}

std::optional<ValueRow> Store::GetValue(std::int64_t key, std::string_view name) {
  Statement st(*this, "SELECT name, type, data FROM vals WHERE key = ?1 AND fold = ?2");
  st.Bind(1, key).Bind(2, FoldName(name));
  if (!st.Step()) return std::nullopt;
  return ValueRow{st.Text(0), static_cast<DWORD>(st.Int(1)), st.Blob(2)};
}

void Store::SetValue(std::int64_t key, std::string_view name, DWORD type, const BYTE* data,
                     std::size_t size) {
  // An existing value keeps the spelling of its name.
  Statement st(*this,
               "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
               " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
  st.Bind(1, key).Bind(2, name).Bind(3, FoldName(name)).Bind(4, std::int64_t{type});
  st.BindBlob(5, data, size).Run();
  Touch(key);
}

bool Store::DeleteValue(std::int64_t key, std::string_view name) {
  Statement(*this, "DELETE FROM vals WHERE key = ?1 AND fold = ?2")
      .Bind(1, key)
      .Bind(2, FoldName(name))
      .Run();
  const bool deleted = sqlite3_changes(Db()) > 0;
  if (deleted) Touch(key);
  return deleted;
}

std::optional<ValueRow> Store::ValueAt(std::int64_t key, std::int64_t index) {
  Statement st(*this,
               "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY fold, name "
               "LIMIT 1 OFFSET ?2");
  st.Bind(1, key).Bind(2, index);
  if (!st.Step()) return std::nullopt;
  return ValueRow{st.Text(0), static_cast<DWORD>(st.Int(1)), st.Blob(2)};
}

void Store::Touch(std::int64_t key) {
  Statement(*this, "UPDATE keys SET mtime = ?2 WHERE id = ?1")
      .Bind(1, key)
      .Bind(2, NowFileTime())
      .Run();
}

std::string CurrentStorePath() {
  std::filesystem::path base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG base
  // directory rules say.
  if (xdg && *xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
    }
    if (!home || !*home) throw StoreError("no home folder for the settings store", SQLITE_CANTOPEN);
    base = std::filesystem::path(home) / ".config";
  }
  return (base / "kelto3d" / "registry.sqlite").string();
}

std::shared_ptr<Store> CurrentStore() {
  static std::shared_ptr<Store> current;
  const std::string path = CurrentStorePath();
  if (!current || current->Path() != path) {
    // The previous store stays open for as long as handles opened through it
    // live; they hold their own reference.
    current.reset();
    current = std::make_shared<Store>(path);
  }
  return current;
}

std::string MachineStorePath() {
  // XDG_CONFIG_DIRS lists the system's configuration folders, most important
  // first; relative entries are invalid and skipped.
  std::string_view dirs;
  if (const char* env = std::getenv("XDG_CONFIG_DIRS")) dirs = env;
  while (!dirs.empty()) {
    const std::size_t cut = dirs.find(':');
    const std::string_view dir = dirs.substr(0, cut);
    if (!dir.empty() && dir.front() == '/')
      return (std::filesystem::path(dir) / "kelto3d" / "registry.sqlite").string();
    if (cut == std::string_view::npos) break;
    dirs.remove_prefix(cut + 1);
  }
  return "/etc/xdg/kelto3d/registry.sqlite";
}

std::shared_ptr<Store> MachineStore(bool create) {
  static std::shared_ptr<Store> current;
  const std::string path = MachineStorePath();
  if (current && current->Path() == path) return current;
  current.reset();
  std::error_code ec;
  if (!create && !std::filesystem::exists(path, ec)) return nullptr;
  current = std::make_shared<Store>(path, StoreKind::Machine);
  return current;
}

}  // namespace kelto::registry
