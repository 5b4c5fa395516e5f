#include "kelto/data/StringPool.h"

#include <cstring>
#include <limits>

namespace kelto::data {

namespace {
constexpr StringId kNoSlot = std::numeric_limits<StringId>::max();
constexpr std::size_t kChunkBytes = 64 * 1024;
}  // namespace

StringPool::StringPool() : slots_(64, kNoSlot) {
  views_.emplace_back();
  hashes_.push_back(Hash({}));
  slots_[hashes_[0] & (slots_.size() - 1)] = kEmpty;
}

StringPool::StringPool(StringPool&&) noexcept = default;
StringPool& StringPool::operator=(StringPool&&) noexcept = default;
StringPool::~StringPool() = default;

std::uint64_t StringPool::Hash(std::string_view text) {
  // FNV-1a, finished with a multiply-shift mix so short keys spread over the
  // low bits that pick the slot.
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9ull;
  return h ^ (h >> 32);
}

std::optional<StringId> StringPool::Find(std::string_view text) const {
  const std::uint64_t h = Hash(text);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    const StringId id = slots_[i];
    if (id == kNoSlot) return std::nullopt;
    if (hashes_[id] == h && views_[id] == text) return id;
  }
}

StringId StringPool::Intern(std::string_view text) {
  const std::uint64_t h = Hash(text);
  std::size_t mask = slots_.size() - 1;
  std::size_t i = h & mask;
  for (;; i = (i + 1) & mask) {
    const StringId id = slots_[i];
    if (id == kNoSlot) break;
    if (hashes_[id] == h && views_[id] == text) return id;
  }
  const auto id = static_cast<StringId>(views_.size());
  views_.push_back(Store(text));
  hashes_.push_back(h);
  slots_[i] = id;
  // Keep the table at most half full so probes stay short.
  if (views_.size() * 2 > slots_.size()) Grow();
  return id;
}

std::string_view StringPool::Store(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > kChunkBytes / 4) {
    // A long value gets a chunk of its own instead of wasting the tail of the
    // current one.
    bigChunks_.push_back(std::make_unique<char[]>(text.size()));
    std::memcpy(bigChunks_.back().get(), text.data(), text.size());
    bigBytes_ += text.size();
    return {bigChunks_.back().get(), text.size()};
  }
  if (chunkSize_ - chunkUsed_ < text.size()) {
    chunks_.push_back(std::make_unique<char[]>(kChunkBytes));
    chunkSize_ = kChunkBytes;
    chunkUsed_ = 0;
  }
  char* dst = chunks_.back().get() + chunkUsed_;
  std::memcpy(dst, text.data(), text.size());
  chunkUsed_ += text.size();
  return {dst, text.size()};
}

void StringPool::Grow() {
  std::vector<StringId> bigger(slots_.size() * 2, kNoSlot);
  const std::size_t mask = bigger.size() - 1;
  for (StringId id = 0; id < views_.size(); ++id) {
    std::size_t i = hashes_[id] & mask;
    while (bigger[i] != kNoSlot) i = (i + 1) & mask;
    bigger[i] = id;
  }
  slots_ = std::move(bigger);
}

std::size_t StringPool::MemoryUsed() const {
  return views_.capacity() * sizeof(std::string_view) + hashes_.capacity() * sizeof(std::uint64_t) +
         slots_.capacity() * sizeof(StringId) + chunks_.size() * kChunkBytes + bigBytes_;
}

}  // namespace kelto::data
