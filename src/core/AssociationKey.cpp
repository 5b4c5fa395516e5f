#include "core/AssociationKey.h"

bool AssociationKey::operator<(const AssociationKey& o) const {
  if (kind != o.kind) return kind < o.kind;
  if (kind == 0) return value < o.value;
  // std::string compares char_traits<char>, which is byte-wise unsigned.
  if (kind == 1) return text < o.text;
  return false;
}
