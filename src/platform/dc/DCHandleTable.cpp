#include "platform/dc/DCHandleTable.h"

namespace kelto::dc {

CDCHandleTable::~CDCHandleTable() {
  for (auto& [handle, cr] : entries_) cairo_destroy(cr);
}

CDCHandleTable& CDCHandleTable::Instance() {
  // Never destroyed: scripting objects may release their handles during
  // static destruction, after a table object would already be gone.
  static CDCHandleTable* table = new CDCHandleTable;
  return *table;
}

std::uint32_t CDCHandleTable::Add(cairo_t* cr) {
  if (!cr) return 0;
  std::lock_guard lock(mutex_);
  if (entries_.size() >= kMaxHandle) return 0;
  // Counting on (instead of taking the lowest free value) keeps a stale
  // handle from naming a new context for as long as possible.
  do {
    last_ = last_ >= kMaxHandle ? 1 : last_ + 1;
  } while (entries_.count(last_));
  entries_.emplace(last_, cairo_reference(cr));
  return last_;
}

cairo_t* CDCHandleTable::Find(std::uint32_t handle) const {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(handle);
  return it == entries_.end() ? nullptr : it->second;
}

bool CDCHandleTable::Remove(std::uint32_t handle) {
  cairo_t* cr = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end()) return false;
    cr = it->second;
    entries_.erase(it);
  }
  cairo_destroy(cr);
  return true;
}

std::size_t CDCHandleTable::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace kelto::dc
