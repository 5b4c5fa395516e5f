// CKeltoLeg: a leg of a component (IKeltoLeg), a face of one record of the
// current load (Face.h).
#pragma once

#include "kelto/com/Face.h"
#include "kelto/com/RecordAccess.h"

namespace kelto::faces {

class CKeltoLeg : public Face<CKeltoLeg, IKeltoLeg, IKeltoRecordAccess> {
 public:
  CKeltoLeg(CKeltoFile& file, const kelto::data::Leg& leg) noexcept : Face(file), leg_(&leg) {}

  // IKeltoLeg
  HRESULT get_FromPoint(BSTR* name) override;
  HRESULT get_ToPoint(BSTR* name) override;
  HRESULT get_HasDirection(VARIANT_BOOL* has) override;
  HRESULT Direction(double* x, double* y, double* z) override;
  HRESULT get_Length(double* length) override;

  // IKeltoRecordAccess
  CKeltoFile* RecordFile() noexcept override { return &File(); }
  const kelto::data::Point* PointRecord() noexcept override { return nullptr; }
  const kelto::data::Leg* LegRecord() noexcept override { return leg_; }

 private:
  void Forget() noexcept override { leg_ = nullptr; }
  const kelto::data::Leg& Record() const;

  const kelto::data::Leg* leg_;
};

}  // namespace kelto::faces
