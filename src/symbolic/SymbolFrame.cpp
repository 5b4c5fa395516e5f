#include "symbolic/SymbolFrame.h"

#include <cmath>

CSymbolFrame::CSymbolFrame(const CPoint2& o, const CVector2& e1, const CVector2& e2,
                           const CPoint3& origin, const CVector3& x, const CVector3& y)
    : m_o(o), m_origin(origin), m_x(x), m_y(y) {
  const CMatrix22 basis = CMatrix22::FromColumns(e1, e2);
  // A zero determinant has no inverse; a non-finite one (overflowing bases)
  // would hand infinities to every mapped point. Either way the frame keeps
  // the zero matrix and maps everything to its origin.
  const double det = basis.Determinant();
  if (det == 0.0 || !std::isfinite(det) || !std::isfinite(1.0 / det)) {
    m_degenerate = true;
    return;
  }
  m_inverse = basis.Inverse();
}

CSymbolFrame::CSymbolFrame(const CPoint3& origin, const CVector3& x, const CVector3& y)
    : m_o(0.0, 0.0), m_inverse(CMatrix22::Identity()), m_origin(origin), m_x(x), m_y(y) {}

CPoint3 CSymbolFrame::Map(const CPoint2& p) const {
  const CVector2 uv = m_inverse * (p - m_o);
  return m_origin + uv.x * m_x + uv.y * m_y;
}
