// CBendCache: display lists of bends shared between model nodes, by key.
//
// Bends are the only swept, and so the costliest, primitives; a plant has
// thousands of identical ones in different places and orientations. The
// renderer reduces each bend to a canonical shape (BendCanonical.h), keys it,
// compiles one display list per distinct key and draws every bend of that
// shape by calling the list under its own placement matrix.
//
// Contract:
// - Lookup counts (Lookups always, Misses when the key is absent); Find does
//   not, so a renderer can look again within one node's rebuild without
//   counting the bend twice.
// - Add starts an entry with one reference, and may leave the list's drawing
//   to a compile function run the first time Find asks for the list (a
//   list reserved but never called is never compiled); AddRef and Release
//   count users;
//   when the count falls below 1 the list is deleted (through the deleter,
//   glDeleteLists by default) and the entry erased. AddRef and Release of an
//   absent key do nothing.
// - The counters are 64-bit: they only ever grow, over a whole session of
//   rebuilds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

class CBendCache {
 public:
  using ListDeleter = std::function<void(unsigned list)>;

  // The default deleter is glDeleteLists (list, 1) in the current context.
  CBendCache();
  explicit CBendCache(ListDeleter deleter);

  // The list of the key, or 0; counts the lookup and, for 0, the miss.
  unsigned Lookup(const std::string& key);
  // The list of the key, or 0; counts nothing. A list whose compiling was
  // put off is compiled first: its context must be current, with no list
  // being compiled.
  unsigned Find(const std::string& key) const;
  void Add(const std::string& key, unsigned list, std::function<void()> compile = {});
  void AddRef(const std::string& key);
  void Release(const std::string& key);

  std::int64_t Lookups() const { return m_lookups; }
  std::int64_t Misses() const { return m_misses; }
  std::size_t Size() const { return m_entries.size(); }
  // Entries whose list is still to be compiled.
  std::size_t Waiting() const { return m_waiting; }
  // The reference count of the key, 0 when absent.
  int RefCount(const std::string& key) const;
  // The cache's own copy of the key, or null when absent. Its address stays
  // valid until the entry is erased, so users may hold it instead of a copy.
  const std::string* Stored(const std::string& key) const;

 private:
  struct Entry {
    unsigned List = 0;
    int References = 0;
    mutable std::function<void()> Compile;  // empty once compiled
  };

  std::int64_t m_lookups = 0;
  mutable std::size_t m_waiting = 0;
  std::int64_t m_misses = 0;
  std::map<std::string, Entry> m_entries;
  ListDeleter m_delete;
};
