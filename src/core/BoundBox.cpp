#include "core/BoundBox.h"

void CBoundBox::AddPoint(const CPoint3& p) {
  if (m_empty) {
    m_min = p;
    m_max = p;
    m_empty = false;
  }
  if (m_min.x > p.x) m_min.x = p.x;
  if (m_min.y > p.y) m_min.y = p.y;
  if (m_min.z > p.z) m_min.z = p.z;
  if (m_max.x < p.x) m_max.x = p.x;
  if (m_max.y < p.y) m_max.y = p.y;
  if (m_max.z < p.z) m_max.z = p.z;
}

void CBoundBox::Add(const CBoundBox& other) {
  if (other.m_empty) return;
  AddPoint(other.m_min);
  AddPoint(other.m_max);
}

void CBoundBox::Expand(double d) {
  m_min.x -= d;
  m_min.y -= d;
  m_min.z -= d;
  m_max.x += d;
  m_max.y += d;
  m_max.z += d;
}

CPoint3 CBoundBox::GetCentre() const {
  return {(m_min.x + m_max.x) * 0.5, (m_min.y + m_max.y) * 0.5, (m_min.z + m_max.z) * 0.5};
}

double CBoundBox::GetRadius() const { return m_min.DistanceTo(GetCentre()); }
