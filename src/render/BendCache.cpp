#include "render/BendCache.h"

#include <GL/gl.h>

#include <utility>

CBendCache::CBendCache() : m_delete([](unsigned list) { glDeleteLists(list, 1); }) {}

CBendCache::CBendCache(ListDeleter deleter) : m_delete(std::move(deleter)) {}

unsigned CBendCache::Lookup(const std::string& key) {
  ++m_lookups;
  const auto it = m_entries.find(key);
  if (it == m_entries.end()) {
    ++m_misses;
    return 0;
  }
  return it->second.List;
}

unsigned CBendCache::Find(const std::string& key) const {
  const auto it = m_entries.find(key);
  if (it == m_entries.end()) return 0;
  if (it->second.Compile) {
    // Moved out first: a compile function that throws is not run again.
    const std::function<void()> compile = std::move(it->second.Compile);
    it->second.Compile = nullptr;
    --m_waiting;
    compile();
  }
  return it->second.List;
}

void CBendCache::Add(const std::string& key, unsigned list, std::function<void()> compile) {
  Entry& entry = m_entries[key];
  if (entry.Compile) --m_waiting;
  entry = {list, 1, std::move(compile)};
  if (entry.Compile) ++m_waiting;
}

void CBendCache::AddRef(const std::string& key) {
  if (auto it = m_entries.find(key); it != m_entries.end()) ++it->second.References;
}

void CBendCache::Release(const std::string& key) {
  const auto it = m_entries.find(key);
  if (it == m_entries.end()) return;
  if (--it->second.References >= 1) return;
  const unsigned list = it->second.List;
  if (it->second.Compile) --m_waiting;
  m_entries.erase(it);
  if (list != 0 && m_delete) m_delete(list);
}

const std::string* CBendCache::Stored(const std::string& key) const {
  const auto it = m_entries.find(key);
  return it == m_entries.end() ? nullptr : &it->first;
}

int CBendCache::RefCount(const std::string& key) const {
  const auto it = m_entries.find(key);
  return it == m_entries.end() ? 0 : it->second.References;
}
