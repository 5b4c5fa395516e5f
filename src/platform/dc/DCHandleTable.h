// CDCHandleTable: 32-bit integer handles for device contexts. Some scripting
// interfaces carry a device context as a 32-bit integer (the ABI's handle
// type), which cannot hold a pointer on a 64-bit system; the caller registers
// its cairo context here and passes the handle, the callee looks it up.
//
// Contract:
// - Handles are in 1..0x7FFFFFFF, so they survive being passed as a signed
//   32-bit value; 0 is never a handle. A handle is not handed out again while
//   it is registered, and freed handles are reused only after the counter has
//   gone round the whole range.
// - The table holds a cairo reference for as long as a handle is registered,
//   so a looked-up context is never a dangling pointer. Registering the same
//   context twice gives two handles, each holding its own reference.
// - Thread-safe, although the module runs in one apartment.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace kelto::dc {

class CDCHandleTable {
 public:
  CDCHandleTable() = default;
  ~CDCHandleTable();
  CDCHandleTable(const CDCHandleTable&) = delete;
  CDCHandleTable& operator=(const CDCHandleTable&) = delete;

  // The process-wide table the scripting faces use.
  static CDCHandleTable& Instance();

  // A new handle for cr (0 when cr is null or the table is full).
  std::uint32_t Add(cairo_t* cr);
  // The registered context, or null for 0 and unknown handles. The pointer is
  // borrowed: valid while the handle stays registered.
  cairo_t* Find(std::uint32_t handle) const;
  // Unregisters; false if the handle was not registered.
  bool Remove(std::uint32_t handle);
  std::size_t Size() const;

 private:
  static constexpr std::uint32_t kMaxHandle = 0x7FFFFFFF;
  mutable std::mutex mutex_;
  std::unordered_map<std::uint32_t, cairo_t*> entries_;
  std::uint32_t last_ = 0;
};

// Registers a context for the lifetime of a scope, for callers that hand a
// handle to an interface method and take it back afterwards.
class CScopedDCHandle {
 public:
  explicit CScopedDCHandle(cairo_t* cr, CDCHandleTable& table = CDCHandleTable::Instance())
      : table_(table), handle_(table.Add(cr)) {}
  ~CScopedDCHandle() {
    if (handle_) table_.Remove(handle_);
  }
  CScopedDCHandle(const CScopedDCHandle&) = delete;
  CScopedDCHandle& operator=(const CScopedDCHandle&) = delete;

  std::uint32_t Handle() const { return handle_; }

 private:
  CDCHandleTable& table_;
  std::uint32_t handle_;
};

}  // namespace kelto::dc
