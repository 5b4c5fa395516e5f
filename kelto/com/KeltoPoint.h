// CKeltoPoint: a point of a component (IKeltoPoint), a face of one record of
// the current load (Face.h).
#pragma once

#include "kelto/com/Face.h"
#include "kelto/com/RecordAccess.h"

namespace kelto::faces {

class CKeltoPoint : public Face<CKeltoPoint, IKeltoPoint, IKeltoRecordAccess> {
 public:
  CKeltoPoint(CKeltoFile& file, const kelto::data::Point& point) noexcept
      : Face(file), point_(&point) {}

  // IKeltoPoint
  HRESULT get_Name(BSTR* name) override;
  HRESULT Position(double* x, double* y, double* z) override;
  HRESULT get_Bore(double* bore) override;
  HRESULT get_BoreUnits(LONG* units) override;
  HRESULT get_EndType(BSTR* type) override;
  HRESULT get_IsInternalPoint(VARIANT_BOOL* internal) override;
  HRESULT get_ConnectedPoint(IKeltoPoint** point) override;
  HRESULT get_OwnerComponent(IKeltoComponent** component) override;

  // IKeltoRecordAccess
  CKeltoFile* RecordFile() noexcept override { return &File(); }
  const kelto::data::Point* PointRecord() noexcept override { return point_; }
  const kelto::data::Leg* LegRecord() noexcept override { return nullptr; }

 private:
  void Forget() noexcept override { point_ = nullptr; }
  const kelto::data::Point& Record() const;

  const kelto::data::Point* point_;
};

}  // namespace kelto::faces
