// IFGeometryCons: how builders emit primitives. Each operation appends one
// primitive; arguments are stored as given (nothing is normalised or checked).
// Colours are 0x00BBGGRR.
#pragma once

#include <cstdint>

#include "core/Point3.h"
#include "core/Vector3.h"

class IFGeometryCons {
 public:
  virtual void AddLine(const CPoint3& start, const CPoint3& end, std::int32_t colour) = 0;
  virtual void AddCone(const CPoint3& start, double startDiameter, const CPoint3& end,
                       double endDiameter, std::int32_t colour) = 0;
  virtual void AddCurvedCone(const CPoint3& start, double startDiameter, const CPoint3& end,
                             double endDiameter, const CPoint3& centre, std::int32_t colour) = 0;
  virtual void AddSnout(const CPoint3& start, double startDiameter, const CPoint3& end,
                        double endDiameter, const CVector3& direction, std::int32_t colour) = 0;
  virtual void AddCircle(const CPoint3& centre, double diameter, const CVector3& direction,
                         std::int32_t colour) = 0;

 protected:
  IFGeometryCons() = default;
  IFGeometryCons(const IFGeometryCons&) = default;
  IFGeometryCons& operator=(const IFGeometryCons&) = default;
  ~IFGeometryCons() = default;
};
