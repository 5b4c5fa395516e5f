// The registry functions over the store (Store.h). See
// docs/settings-store.md for the semantics this file keeps and the choices it
// makes where the platform leaves room.
#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/registry/Store.h"

namespace kelto::registry {
namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::uint32_t kFirstPredefined = 0x80000000u;
constexpr std::uint32_t kLastPredefined = 0x80000003u;

// An open key: the store it lives in, its id there and the access it was
// opened with.
struct OpenKey {
  std::shared_ptr<Store> store;
  std::int64_t id = 0;
  REGSAM access = 0;
  // A key of HKEY_CLASSES_ROOT's merged view: `path` below the classes root,
  // looked up in the user's classes (store) first, then in the machine's
  // (machine, HKEY_LOCAL_MACHINE\Software\Classes). Each call finds the
  // layer anew; id is unused.
  bool merged = false;
  std::vector<std::string> path;
  std::shared_ptr<Store> machine;
  // In a call on a merged key: the user's store (store is the layer acted
  // on), and the machine's key under a user's key, for values and subkeys
  // the user's key lacks.
  std::shared_ptr<Store> user;
  std::shared_ptr<Store> lower;
  std::int64_t lowerId = 0;
};

// Handles are small integers counted up from 1 and never reused within a
// process, so a handle survives a trip through a 32-bit integer and a stale
// handle cannot silently reach another key.
struct HandleTable {
  std::mutex mutex;
  std::unordered_map<std::uint32_t, OpenKey> keys;
  // RegOverridePredefKey: a predefined root mapped to another key.
  std::unordered_map<std::uint32_t, OpenKey> overrides;
  std::uint32_t next = 1;

  static HandleTable& Instance() {
    static HandleTable* table = new HandleTable;  // lives until exit, never destroyed
    return *table;
  }

  HKEY Add(OpenKey key) {
    // Skips 0, the predefined range and, once the count has wrapped (after
    // two billion opens), handles still in use.
    while (next == 0 || next >= kFirstPredefined || keys.count(next))
      next = next >= kFirstPredefined ? 1 : next + 1;
    const std::uint32_t h = next++;
    keys.emplace(h, std::move(key));
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(h));
  }
};

// The 32-bit value of a handle, accepting it both sign- and zero-extended
// (hosts that carry handles as unsigned 32-bit integers widen the predefined
// roots without the sign).
bool HandleValue(HKEY h, std::uint32_t* out) {
  const auto raw = reinterpret_cast<std::uintptr_t>(h);
  const std::uint64_t high = static_cast<std::uint64_t>(raw) >> 32;
  if (high != 0 && high != 0xFFFFFFFFu) return false;
  *out = static_cast<std::uint32_t>(raw);
  return *out != 0;
}

// Looks a handle up (predefined roots open on the store the environment
// names now). Throws StoreError when the store cannot be opened.
LSTATUS Resolve(HKEY h, OpenKey* out, bool write = false) {
  std::uint32_t v = 0;
  if (!HandleValue(h, &v)) return ERROR_INVALID_HANDLE;
  if (v >= kFirstPredefined && v <= kLastPredefined) {
    const auto& overrides = HandleTable::Instance().overrides;
    if (const auto it = overrides.find(v); it != overrides.end()) {
      *out = it->second;
      return ERROR_SUCCESS;
    }
    const std::int64_t root = kClassesRootId + (v - kFirstPredefined);
    if (root == kClassesRootId) {
      *out = OpenKey{CurrentStore(), root, KEY_ALL_ACCESS, true, {}, MachineStore(false)};
    } else if (root == kLocalMachineId) {
      // The machine's keys live in the machine's store; reading them on a
      // machine that has none finds nothing (ERROR_FILE_NOT_FOUND).
      auto machine = MachineStore(write);
      if (!machine) return ERROR_FILE_NOT_FOUND;
      *out = OpenKey{std::move(machine), root, KEY_ALL_ACCESS};
    } else {
      *out = OpenKey{CurrentStore(), root, KEY_ALL_ACCESS};
    }
    return ERROR_SUCCESS;
  }
  auto& keys = HandleTable::Instance().keys;
  const auto it = keys.find(v);
  if (it == keys.end()) return ERROR_INVALID_HANDLE;
  *out = it->second;
  return ERROR_SUCCESS;
}

// Splits "a\b\c" into its names. A single trailing backslash is ignored; an
// empty name anywhere else (a leading backslash, "a\\b") or a name longer
// than 255 characters is invalid. Null and "" give no names.
LSTATUS SplitPath(const char* path, std::vector<std::string>* parts) {
  parts->clear();
  if (!path || !*path) return ERROR_SUCCESS;
  std::string_view rest(path);
  if (rest.back() == '\\') rest.remove_suffix(1);
  for (;;) {
    const std::size_t cut = rest.find('\\');
    const std::string_view part = rest.substr(0, cut);
    if (part.empty() || part.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    parts->emplace_back(part);
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return ERROR_SUCCESS;
}

// Follows names down from a key; ERROR_FILE_NOT_FOUND when one is missing.
LSTATUS Walk(Store& store, std::int64_t from, const std::vector<std::string>& parts,
             std::int64_t* out) {
  std::int64_t id = from;
  for (const std::string& part : parts) {
    const auto child = store.FindChild(id, part);
    if (!child) return ERROR_FILE_NOT_FOUND;
    id = *child;
  }
  *out = id;
  return ERROR_SUCCESS;
}

// The key path below HKEY_LOCAL_MACHINE\Software\Classes of a machine store.
LSTATUS WalkMachineClasses(Store& machine, const std::vector<std::string>& path,
                           std::int64_t* out) {
  static const std::vector<std::string> kMachineClasses{"Software", "Classes"};
  std::int64_t classes = 0;
  if (const LSTATUS s = Walk(machine, kLocalMachineId, kMachineClasses, &classes)) return s;
  return Walk(machine, classes, path, out);
}

// Where the merged key path + more lives: the user's classes when they hold
// it, else the machine's. ERROR_FILE_NOT_FOUND when neither does.
LSTATUS FindMerged(const OpenKey& handle, const std::vector<std::string>& more, OpenKey* out) {
  std::vector<std::string> full = handle.path;
  full.insert(full.end(), more.begin(), more.end());
  std::int64_t id = 0;
  if (Walk(*handle.store, kClassesRootId, full, &id) == ERROR_SUCCESS) {
    *out = OpenKey{handle.store, id, handle.access};
    return ERROR_SUCCESS;
  }
  if (handle.machine && WalkMachineClasses(*handle.machine, full, &id) == ERROR_SUCCESS) {
    *out = OpenKey{handle.machine, id, handle.access};
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

// The subkey names of a merged key (key as OnKey passes it): both layers',
// each name once (the user's spelling), in the store's order.
std::vector<std::string> MergedChildren(const OpenKey& key) {
  std::vector<std::pair<std::string, std::string>> names;  // fold, name
  const auto add = [&](Store& layer, std::int64_t id) {
    for (std::int64_t i = 0;; ++i) {
      const auto child = layer.ChildAt(id, i);
      if (!child) break;
      std::string fold = FoldName(child->name);
      if (std::none_of(names.begin(), names.end(), [&](const auto& n) { return n.first == fold; }))
        names.emplace_back(std::move(fold), child->name);
    }
  };
  std::int64_t id = 0;
  if (Walk(*key.user, kClassesRootId, key.path, &id) == ERROR_SUCCESS) add(*key.user, id);
  if (key.machine && WalkMachineClasses(*key.machine, key.path, &id) == ERROR_SUCCESS)
    add(*key.machine, id);
  std::sort(names.begin(), names.end());
  std::vector<std::string> out;
  for (auto& n : names) out.push_back(std::move(n.second));
  return out;
}

// The values of a merged key present in both layers (key as OnKey passes
// it): the user's, then the machine's the user's key lacks, in the store's
// order.
std::vector<ValueRow> MergedValues(const OpenKey& key) {
  std::vector<std::pair<std::string, ValueRow>> rows;  // fold, value
  const std::pair<Store*, std::int64_t> layers[] = {{key.store.get(), key.id},
                                                     {key.lower.get(), key.lowerId}};
  for (const auto& [store, id] : layers) {
    for (std::int64_t i = 0;; ++i) {
      auto value = store->ValueAt(id, i);
      if (!value) break;
      std::string fold = FoldName(value->name);
      if (std::none_of(rows.begin(), rows.end(), [&](const auto& r) { return r.first == fold; }))
        rows.emplace_back(std::move(fold), std::move(*value));
    }
  }
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ValueRow> out;
  for (auto& r : rows) out.push_back(std::move(r.second));
  return out;
}

// A handle on the merged key `more` below key (as OnKey passes it).
OpenKey MergedChild(const OpenKey& key, const std::vector<std::string>& more, REGSAM access) {
  OpenKey child{key.user, 0, access, true, key.path, key.machine};
  child.path.insert(child.path.end(), more.begin(), more.end());
  return child;
}

// Runs one registry call under the lock. Database failures become
// `storeFailure` (ERROR_CANTREAD for queries, ERROR_CANTWRITE for changes);
// nothing throws out of the C functions.
template <class F>
LSTATUS Guarded(LSTATUS storeFailure, F&& f) {
  HandleTable& table = HandleTable::Instance();
  std::lock_guard lock(table.mutex);
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  } catch (const StoreError& e) {
    // A store this user may only read (the machine's, most of the time).
    if ((e.code() & 0xFF) == SQLITE_READONLY) return ERROR_ACCESS_DENIED;
    return storeFailure;
  } catch (const std::exception&) {
    return storeFailure;
  }
}

// One registry call on the key hKey names: under the lock (see Guarded), the
// handle's access checked against `needed`, in a transaction in which the key
// must still exist. `work` reads or changes the store; only when it succeeds
// is the transaction committed and `then` run to hand the results out.
enum class Mode { Read, Write, Remove };

// The layers of a merged key for a call: store/id the user's key when it
// exists, else the machine's; lower/lowerId the machine's under a user key.
// Writes go to the user's key, made as needed; removals reach only the
// user's. ERROR_FILE_NOT_FOUND when the call has no layer to act on.
LSTATUS MergedLayers(const OpenKey& handle, Mode mode, OpenKey* key) {
  *key = handle;
  key->user = handle.store;
  std::int64_t userId = 0, machineId = 0;
  const bool inUser = Walk(*handle.store, kClassesRootId, handle.path, &userId) == ERROR_SUCCESS;
  const bool inMachine =
      handle.machine && WalkMachineClasses(*handle.machine, handle.path, &machineId) == ERROR_SUCCESS;
  if (mode == Mode::Write) {
    std::int64_t at = kClassesRootId;
    for (const std::string& part : handle.path) {
      const auto child = handle.store->FindChild(at, part);
      at = child ? *child : handle.store->CreateChild(at, part);
    }
    key->id = at;
    return ERROR_SUCCESS;
  }
  if (inUser) {
    key->id = userId;
    if (mode == Mode::Read && inMachine) {
      key->lower = handle.machine;
      key->lowerId = machineId;
    }
    return ERROR_SUCCESS;
  }
  if (mode == Mode::Read && inMachine) {
    key->store = handle.machine;
    key->id = machineId;
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

// One registry call on the key hKey names: under the lock (see Guarded), the
// handle's access checked against `needed`, in a transaction in which the key
// must still exist. `work` reads or changes the store; only when it succeeds
// is the transaction committed and `then` run to hand the results out.
template <class Work, class Then>
LSTATUS OnKey(HKEY hKey, REGSAM needed, Mode mode, Work&& work, Then&& then) {
  const bool write = mode != Mode::Read;
  return Guarded(write ? ERROR_CANTWRITE : ERROR_CANTREAD, [&]() -> LSTATUS {
    OpenKey handle;
    if (const LSTATUS s = Resolve(hKey, &handle, write)) return s;
    if ((handle.access & needed) != needed) return ERROR_ACCESS_DENIED;
    OpenKey key = handle;
    // Changes to a merged key go to the user's store, so its transaction is
    // taken before the key is made there.
    Store::Transaction tx(handle.merged && write ? *handle.store : *key.store, write);
    if (handle.merged) {
      if (const LSTATUS s = MergedLayers(handle, mode, &key)) {
        return s == ERROR_FILE_NOT_FOUND && mode == Mode::Read ? ERROR_KEY_DELETED : s;
      }
    }
    if (!key.store->KeyExists(key.id)) return ERROR_KEY_DELETED;
    if (const LSTATUS s = work(key)) return s;
    tx.Commit();
    return then(key);
  });
}

template <class Work>
LSTATUS OnKey(HKEY hKey, REGSAM needed, Mode mode, Work&& work) {
  return OnKey(hKey, needed, mode, std::forward<Work>(work),
               [](const OpenKey&) -> LSTATUS { return ERROR_SUCCESS; });
}

// Copies a name into a caller's character buffer. *cch is the buffer size on
// entry; on success it becomes the length without the terminator. When the
// buffer is too small, ERROR_MORE_DATA and *cch = the length the name needs
// (without the terminator), so the caller can retry with one more.
LSTATUS CopyName(const std::string& name, LPSTR out, LPDWORD cch) {
  if (name.size() + 1 > *cch) {
    *cch = static_cast<DWORD>(name.size());
    return ERROR_MORE_DATA;
  }
  std::memcpy(out, name.data(), name.size());
  out[name.size()] = '\0';
  *cch = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Copies value data the way RegQueryValueExA does: with no buffer only the
// size is reported; a buffer too small gives ERROR_MORE_DATA and the size.
LSTATUS CopyData(const ValueRow& v, LPDWORD type, LPBYTE data, LPDWORD cb) {
  if (type) *type = v.type;
  if (!cb) return ERROR_SUCCESS;
  const DWORD size = static_cast<DWORD>(v.data.size());
  if (data) {
    if (*cb < size) {
      *cb = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, v.data.data(), size);
  }
  *cb = size;
  return ERROR_SUCCESS;
}

const char* NameOrDefault(LPCSTR name) { return name ? name : ""; }

}  // namespace
}  // namespace kelto::registry

using namespace kelto::registry;

KELTO_API LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                                  DWORD /*dwOptions*/, REGSAM samDesired,
                                  const SECURITY_ATTRIBUTES* /*lpSecurityAttributes*/,
                                  PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::vector<std::string> parts;
  if (const LSTATUS s = SplitPath(lpSubKey, &parts)) return s;
  std::int64_t id = 0;
  bool created = false;
  return OnKey(
      hKey, 0, Mode::Write,
      [&](const OpenKey& base) -> LSTATUS {
        // A merged key is made in the user's classes (base is the user's
        // key); it is new when neither layer had it.
        if (base.merged) {
          OpenKey found;
          created = FindMerged(MergedChild(base, {}, 0), parts, &found) != ERROR_SUCCESS;
          if (created && !(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        }
        id = base.id;
        for (const std::string& part : parts) {
          if (const auto child = base.store->FindChild(id, part)) {
            id = *child;
            continue;
          }
          // Only adding keys needs the right to; opening existing ones through
          // RegCreateKeyExA does not.
          if (!created && !(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
          id = base.store->CreateChild(id, part);
          if (!base.merged) created = true;
        }
        return ERROR_SUCCESS;
      },
      [&](const OpenKey& base) -> LSTATUS {
        *phkResult = HandleTable::Instance().Add(base.merged ? MergedChild(base, parts, samDesired)
                                                             : OpenKey{base.store, id, samDesired});
        if (lpdwDisposition)
          *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
      });
}

KELTO_API LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                                PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::vector<std::string> parts;
  if (const LSTATUS s = SplitPath(lpSubKey, &parts)) return s;
  std::int64_t id = 0;
  return OnKey(
      hKey, 0, Mode::Read,
      [&](const OpenKey& base) {
        OpenKey found;
        return base.merged ? FindMerged(MergedChild(base, {}, 0), parts, &found)
                           : Walk(*base.store, base.id, parts, &id);
      },
      [&](const OpenKey& base) -> LSTATUS {
        *phkResult = HandleTable::Instance().Add(base.merged ? MergedChild(base, parts, samDesired)
                                                             : OpenKey{base.store, id, samDesired});
        return ERROR_SUCCESS;
      });
}

KELTO_API LSTATUS RegCloseKey(HKEY hKey) {
  std::uint32_t v = 0;
  if (!HandleValue(hKey, &v)) return ERROR_INVALID_HANDLE;
  if (v >= kFirstPredefined && v <= kLastPredefined) return ERROR_SUCCESS;
  HandleTable& table = HandleTable::Instance();
  std::shared_ptr<Store> last;  // released after the lock, should it close the store
  std::lock_guard lock(table.mutex);
  const auto it = table.keys.find(v);
  if (it == table.keys.end()) return ERROR_INVALID_HANDLE;
  last = std::move(it->second.store);
  table.keys.erase(it);
  return ERROR_SUCCESS;
}

KELTO_API LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                                 const BYTE* lpData, DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  const std::string name = NameOrDefault(lpValueName);
  if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  // A DWORD is four bytes; anything else could not be read back as one.
  if (dwType == REG_DWORD && cbData != sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> data(lpData, lpData + cbData);
  // Strings are kept null-terminated even when the caller's count left the
  // terminator out, so every reader gets a terminated string back.
  if ((dwType == REG_SZ || dwType == REG_EXPAND_SZ) && (data.empty() || data.back() != 0))
    data.push_back(0);
  return OnKey(hKey, KEY_SET_VALUE, Mode::Write, [&](const OpenKey& key) -> LSTATUS {
    key.store->SetValue(key.id, name, dwType, data.data(), data.size());
    return ERROR_SUCCESS;
  });
}

KELTO_API LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved,
                                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  std::optional<ValueRow> value;
  return OnKey(
      hKey, KEY_QUERY_VALUE, Mode::Read,
      [&](const OpenKey& key) -> LSTATUS {
        value = key.store->GetValue(key.id, NameOrDefault(lpValueName));
        if (!value && key.lower) value = key.lower->GetValue(key.lowerId, NameOrDefault(lpValueName));
        return value ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
      },
      [&](const OpenKey&) { return CopyData(*value, lpType, lpData, lpcbData); });
}

KELTO_API LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  return OnKey(hKey, KEY_SET_VALUE, Mode::Remove, [&](const OpenKey& key) -> LSTATUS {
    return key.store->DeleteValue(key.id, NameOrDefault(lpValueName)) ? ERROR_SUCCESS
                                                                      : ERROR_FILE_NOT_FOUND;
  });
}

KELTO_API LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> parts;
  if (const LSTATUS s = SplitPath(lpSubKey, &parts)) return s;
  return OnKey(hKey, 0, Mode::Remove, [&](const OpenKey& base) -> LSTATUS {
    std::int64_t id = 0;
    if (const LSTATUS s = Walk(*base.store, base.id, parts, &id)) return s;
    // The roots cannot go, and neither can a key that still has subkeys.
    if (id <= kLastRootId || base.store->HasChildren(id)) return ERROR_ACCESS_DENIED;
    base.store->DeleteKey(id);
    return ERROR_SUCCESS;
  });
}

KELTO_API LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
  std::vector<std::string> parts;
  if (const LSTATUS s = SplitPath(lpSubKey, &parts)) return s;
  constexpr REGSAM kNeeded = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;
  return OnKey(hKey, kNeeded, Mode::Remove, [&](const OpenKey& base) -> LSTATUS {
    std::int64_t id = 0;
    if (const LSTATUS s = Walk(*base.store, base.id, parts, &id)) return s;
    // Without a subkey only the contents go; the key itself stays.
    base.store->DeleteTree(id, !parts.empty());
    return ERROR_SUCCESS;
  });
}

KELTO_API LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                                LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                                FILETIME* lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  std::optional<KeyRow> child;
  return OnKey(
      hKey, KEY_ENUMERATE_SUB_KEYS, Mode::Read,
      [&](const OpenKey& key) -> LSTATUS {
        if (key.merged) {
          const std::vector<std::string> names = MergedChildren(key);
          if (dwIndex < names.size()) child = KeyRow{names[dwIndex], 0};
        } else {
          child = key.store->ChildAt(key.id, dwIndex);
        }
        return child ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
      },
      [&](const OpenKey&) -> LSTATUS {
        if (const LSTATUS s = CopyName(child->name, lpName, lpcchName)) return s;
        // Keys have no class names here.
        if (lpClass && lpcchClass && *lpcchClass > 0) *lpClass = '\0';
        if (lpcchClass) *lpcchClass = 0;
        if (lpftLastWriteTime) {
          const auto t = static_cast<std::uint64_t>(child->mtime);
          *lpftLastWriteTime = FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        }
        return ERROR_SUCCESS;
      });
}

KELTO_API LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                                LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
    return ERROR_INVALID_PARAMETER;
  std::optional<ValueRow> value;
  return OnKey(
      hKey, KEY_QUERY_VALUE, Mode::Read,
      [&](const OpenKey& key) -> LSTATUS {
        if (key.lower) {
          std::vector<ValueRow> values = MergedValues(key);
          if (dwIndex < values.size()) value = std::move(values[dwIndex]);
        } else {
          value = key.store->ValueAt(key.id, dwIndex);
        }
        return value ? ERROR_SUCCESS : ERROR_NO_MORE_ITEMS;
      },
      [&](const OpenKey&) {
        // Both sizes are reported even when one buffer is too small, so a
        // caller can grow both and retry once.
        const LSTATUS nameStatus = CopyName(value->name, lpValueName, lpcchValueName);
        const LSTATUS dataStatus = CopyData(*value, lpType, lpData, lpcbData);
        return nameStatus != ERROR_SUCCESS ? nameStatus : dataStatus;
      });
}

KELTO_API LSTATUS RegOverridePredefKey(HKEY hKey, HKEY hNewHKey) {
  std::uint32_t v = 0;
  if (!HandleValue(hKey, &v) || v < kFirstPredefined || v > kLastPredefined)
    return ERROR_INVALID_HANDLE;
  return Guarded(ERROR_CANTREAD, [&]() -> LSTATUS {
    auto& overrides = HandleTable::Instance().overrides;
    if (!hNewHKey) {
      overrides.erase(v);
      return ERROR_SUCCESS;
    }
    // The override keeps its own reference: the caller may close hNewHKey.
    OpenKey target;
    if (const LSTATUS s = Resolve(hNewHKey, &target)) return s;
    overrides[v] = std::move(target);
    return ERROR_SUCCESS;
  });
}
