// AssociationKey: the key under which a component attaches data to a model
// node. Kind 0 keys carry an integer (components use their own identity);
// kind 1 keys carry text (everything scripts attach).
//
// Ordering: by kind (signed), then for kind 0 by the integer (unsigned), for
// kind 1 by byte-wise text comparison; two keys of the same other kind are
// equal.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

struct AssociationKey {
  std::int32_t kind = 0;
  // Wide enough for a pointer, so that a component keyed by its own address
  // can never collide with another one.
  std::uintptr_t value = 0;
  std::string text;

  AssociationKey() = default;
  explicit AssociationKey(std::uintptr_t v) : kind(0), value(v) {}
  explicit AssociationKey(const void* identity)
      : kind(0), value(reinterpret_cast<std::uintptr_t>(identity)) {}
  explicit AssociationKey(std::string t) : kind(1), text(std::move(t)) {}
  explicit AssociationKey(const char* t) : kind(1), text(t) {}

  bool operator<(const AssociationKey& o) const;
  bool operator==(const AssociationKey& o) const { return !(*this < o) && !(o < *this); }
};
