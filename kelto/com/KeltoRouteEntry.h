// CKeltoRouteEntry: one step of a route (IKeltoRouteEntry); Value is the
// component (VT_DISPATCH). A face of one record of the current load (Face.h).
#pragma once

#include "kelto/com/Face.h"
#include "kelto/data/Pipeline.h"

namespace kelto::faces {

class CKeltoRouteEntry : public Face<CKeltoRouteEntry, IKeltoRouteEntry> {
 public:
  CKeltoRouteEntry(CKeltoFile& file, const kelto::data::RouteEntry& entry) noexcept
      : Face(file), entry_(&entry) {}

  // IKeltoRouteEntry
  HRESULT get_Value(VARIANT* value) override;

 private:
  void Forget() noexcept override { entry_ = nullptr; }

  const kelto::data::RouteEntry* entry_;
};

}  // namespace kelto::faces
