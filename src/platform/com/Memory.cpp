// The task allocator. Memory handed across the scripting ABI with
// CoTaskMemAlloc (out-parameter strings, arrays of DISPIDs...) is released by
// the receiver with CoTaskMemFree, so both sides must share one heap: here it
// is the C heap of the process.
#include <cstdlib>

#include "platform/com/Api.h"

KELTO_API void* CoTaskMemAlloc(std::size_t cb) {
  // malloc(0) may return null; the caller of a zero-byte allocation still
  // expects a pointer it can free.
  return std::malloc(cb ? cb : 1);
}

KELTO_API void* CoTaskMemRealloc(void* pv, std::size_t cb) {
  if (!pv) return CoTaskMemAlloc(cb);
  if (cb == 0) {
    // A zero size frees the block, as the platform allocator does.
    std::free(pv);
    return nullptr;
  }
  return std::realloc(pv, cb);
}

KELTO_API void CoTaskMemFree(void* pv) { std::free(pv); }
