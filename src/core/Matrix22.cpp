#include "core/Matrix22.h"

#include <stdexcept>

CMatrix22 CMatrix22::Inverse() const {
  const double det = Determinant();
  if (det == 0.0) throw std::domain_error("Singular matrix.");
  return {m[1][1] / det, -m[0][1] / det, -m[1][0] / det, m[0][0] / det};
}
