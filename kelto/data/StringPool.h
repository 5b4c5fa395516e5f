// Interned strings of one piping file.
//
// Type names, group names, end types, point and attribute names repeat across
// thousands of components, so every string of a file is stored once and the
// records hold 32-bit ids. Characters live in large chunks (no allocation per
// string) and the index is an open-addressing table of ids, so a 100k-component
// file costs a few hundred small allocations for all its text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kelto::data {

using StringId = std::uint32_t;

class StringPool {
 public:
  // Id 0 is always the empty string, so zero-initialised records read as "".
  static constexpr StringId kEmpty = 0;

  StringPool();
  StringPool(StringPool&&) noexcept;
  StringPool& operator=(StringPool&&) noexcept;
  StringPool(const StringPool&) = delete;
  StringPool& operator=(const StringPool&) = delete;
  ~StringPool();

  // The id of `text`, adding it when it is new.
  StringId Intern(std::string_view text);
  // The id of `text` when the pool holds it; never adds.
  std::optional<StringId> Find(std::string_view text) const;
  // Valid until the pool is destroyed (views never move when the pool grows).
  std::string_view View(StringId id) const { return views_[id]; }
  std::size_t Size() const { return views_.size(); }
  // Bytes held by the pool, for the memory figures of the benchmarks.
  std::size_t MemoryUsed() const;

 private:
  static std::uint64_t Hash(std::string_view text);
  std::string_view Store(std::string_view text);
  void Grow();

  std::vector<std::string_view> views_;
  std::vector<std::uint64_t> hashes_;
  std::vector<StringId> slots_;                     // kNoSlot or an id; size is a power of two
  std::vector<std::unique_ptr<char[]>> chunks_;     // shared 64 KiB chunks; back() is filling
  std::vector<std::unique_ptr<char[]>> bigChunks_;  // one per long string
  std::size_t bigBytes_ = 0;
  std::size_t chunkUsed_ = 0;
  std::size_t chunkSize_ = 0;
};

}  // namespace kelto::data
