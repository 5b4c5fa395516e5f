// The settings store's database: one SQLite file holding the key tree and the
// values, and the few queries the registry functions are made of.
//
// Layout (schema version 1, kept in PRAGMA user_version):
//   keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent, name, fold, mtime)
//        one row per key; the four predefined roots are ids 1-4 with parent 0;
//        `fold` is the name with ASCII letters upper-cased, unique per parent,
//        so names compare case-insensitively but keep their spelling.
//        AUTOINCREMENT means a deleted key's id is never given to a new key,
//        so a handle to a deleted key can tell that it was deleted.
//   vals(key, name, fold, type, data) one row per value, primary key
//        (key, fold); the default value has the empty name.
//
// Every change runs in one IMMEDIATE transaction; the database runs in WAL
// mode with a busy timeout so that several processes can share it.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/Types.h"

namespace kelto::registry {

// A failure of the database (cannot open, corrupt, locked for too long...).
class StoreError : public std::runtime_error {
 public:
  StoreError(const std::string& what, int code) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// Ids of the predefined roots in the keys table.
constexpr std::int64_t kClassesRootId = 1;
constexpr std::int64_t kCurrentUserId = 2;
constexpr std::int64_t kLocalMachineId = 3;
constexpr std::int64_t kUsersId = 4;
constexpr std::int64_t kLastRootId = kUsersId;

// Upper-cases ASCII letters: the comparison form of key and value names.
std::string FoldName(std::string_view name);

struct ValueRow {
  std::string name;
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct KeyRow {
  std::string name;
  std::int64_t mtime = 0;  // 100-ns ticks since 1601 (FILETIME)
};

// A user's store runs in WAL mode (readers and the writer of one user never
// wait on each other). The machine's store is shared by every user, most of
// whom may only read it: it keeps a rollback journal, which a reader can use
// without write access to the file or its folder, and is opened read-only
// when the process may not write it.
enum class StoreKind { User, Machine };

class Store {
 public:
  // Opens (creating folders, file and schema as needed) the store at path.
  // Throws StoreError.
  explicit Store(std::string path, StoreKind kind = StoreKind::User);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::string& Path() const { return path_; }
  bool ReadOnly() const { return readOnly_; }

  // A transaction; rolled back on destruction unless committed. Writers use
  // immediate ones, so that the write lock is taken before anything is read
  // and two writers never deadlock upgrading their locks.
  class Transaction {
   public:
    Transaction(Store& store, bool write);
    ~Transaction();
    void Commit();

   private:
    Store& store_;
    bool done_ = false;
  };

  bool KeyExists(std::int64_t id);
  std::optional<std::int64_t> FindChild(std::int64_t parent, std::string_view name);
  std::int64_t CreateChild(std::int64_t parent, std::string_view name);
  bool HasChildren(std::int64_t id);
  std::optional<KeyRow> ChildAt(std::int64_t parent, std::int64_t index);
  // Deletes a key and its values (the caller made sure it has no subkeys).
  void DeleteKey(std::int64_t id);
  // Deletes everything below a key: subkeys (recursively) and the key's
  // values; with includeSelf also the key itself.
  void DeleteTree(std::int64_t id, bool includeSelf);

  std::optional<ValueRow> GetValue(std::int64_t key, std::string_view name);
  void SetValue(std::int64_t key, std::string_view name, DWORD type, const BYTE* data,
                std::size_t size);
  bool DeleteValue(std::int64_t key, std::string_view name);
  std::optional<ValueRow> ValueAt(std::int64_t key, std::int64_t index);
  void Touch(std::int64_t key);

 private:
  class Statement;
  sqlite3* Db();
  void Exec(const char* sql);
  void Open();
  void InitSchema();

  std::string path_;
  StoreKind kind_;
  bool readOnly_ = false;
  sqlite3* db_ = nullptr;
  pid_t pid_ = 0;  // the process that opened db_
};

// The store file the environment names now: $XDG_CONFIG_HOME (when set to an
// absolute path) or ~/.config, then kelto3d/registry.sqlite.
std::string CurrentStorePath();

// The store for CurrentStorePath(). The path is checked on every call, so a
// change of XDG_CONFIG_HOME takes effect at the next access through a
// predefined root; handles opened before keep the store they came from.
// Not thread-safe: the registry functions call it under their lock.
std::shared_ptr<Store> CurrentStore();

// The machine's store: the first folder of $XDG_CONFIG_DIRS (absolute paths
// only; /etc/xdg when none), then kelto3d/registry.sqlite.
std::string MachineStorePath();

// The store for MachineStorePath(), checked on every call as CurrentStore()
// is. Without `create`, a missing file gives null (a machine where nothing
// was registered system-wide); with it, the file is made. Not thread-safe.
std::shared_ptr<Store> MachineStore(bool create);

}  // namespace kelto::registry
