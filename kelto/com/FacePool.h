// FacePool: the storage of one file object's faces.
//
// A plant of 100,000 components gets some 700,000 faces during a model build,
// each a few dozen bytes that live as long as the file. Taken one by one from
// the general heap they cost a header each, scatter over the heap, and make
// freeing the file a walk over every one of them. The pool carves them from
// large chunks instead: a block freed by a retired face goes to a free list
// of its size and is reused, and the file's end returns the chunks whole.
//
// Blocks are sized in steps of 8 bytes (faces hold pointers and counts, none
// needs more alignment) up to kLargestBlock. Not locked: the
// file and its faces live in one apartment.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace kelto::faces {

class FacePool {
 public:
  static constexpr std::size_t kLargestBlock = 256;

  FacePool() = default;
  FacePool(const FacePool&) = delete;
  FacePool& operator=(const FacePool&) = delete;

  // A block of at least size bytes (size <= kLargestBlock), aligned for any
  // face. Throws std::bad_alloc.
  void* Allocate(std::size_t size);
  // Gives back a block of that size that Allocate handed out.
  void Free(void* block, std::size_t size) noexcept;
  // Blocks handed out and not given back.
  std::size_t Live() const noexcept { return live_; }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  static constexpr std::size_t kStep = 8;
  static std::size_t SizeClass(std::size_t size) noexcept { return (size + kStep - 1) / kStep; }
  void* Carve(std::size_t bytes);

  std::array<FreeBlock*, kLargestBlock / kStep + 1> free_{};
  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::byte* next_ = nullptr;  // the unused rest of the newest chunk
  std::size_t left_ = 0;
  std::size_t live_ = 0;
};

}  // namespace kelto::faces
