#include "kelto/com/FacePool.h"

#include <algorithm>
#include <new>

namespace kelto::faces {

namespace {

// A small file (most of the tests, a spool) takes one small chunk; a plant
// grows the chunks to sizes the allocator maps directly and unmaps at once.
constexpr std::size_t kFirstChunk = 4 * 1024;
constexpr std::size_t kLargestChunk = 1024 * 1024;

}  // namespace

void* FacePool::Allocate(std::size_t size) {
  if (size == 0 || size > kLargestBlock) throw std::bad_alloc();
  const std::size_t sizeClass = SizeClass(size);
  void* block = nullptr;
  if (FreeBlock* reused = free_[sizeClass]) {
    free_[sizeClass] = reused->next;
    block = reused;
  } else {
    block = Carve(sizeClass * kStep);
  }
  ++live_;
  return block;
}

void FacePool::Free(void* block, std::size_t size) noexcept {
  const std::size_t sizeClass = SizeClass(size);
  free_[sizeClass] = new (block) FreeBlock{free_[sizeClass]};
  --live_;
}

void* FacePool::Carve(std::size_t bytes) {
  if (left_ < bytes) {
    // Each chunk twice the one before, up to the largest.
    const std::size_t chunk =
        std::min(kLargestChunk, kFirstChunk << std::min<std::size_t>(chunks_.size(), 8));
    chunks_.reserve(chunks_.size() + 1);
    chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(chunk));
    next_ = chunks_.back().get();
    left_ = chunk;
  }
  void* block = next_;
  next_ += bytes;
  left_ -= bytes;
  return block;
}

}  // namespace kelto::faces
