// CKeltoPipeline: one pipeline (IKeltoPipeline). Keyed by the data layer's
// Pipeline, so a reload that keeps the pipeline's id keeps this face and its
// collections (KeltoFile.h).
#pragma once

#include "kelto/com/Face.h"
#include "kelto/data/Pipeline.h"

namespace kelto::faces {

class CKeltoPipeline : public Face<CKeltoPipeline, IKeltoPipeline> {
 public:
  CKeltoPipeline(CKeltoFile& file, kelto::data::Pipeline& pipeline) noexcept
      : Face(file), pipeline_(&pipeline) {}

  // IKeltoPipeline. Name is the pipeline's id.
  HRESULT get_Name(BSTR* name) override;
  HRESULT get_Components(IKeltoComponents** components) override;
  HRESULT get_File(IKeltoFile** file) override;
  HRESULT Routes(LONG flags1, LONG flags2, IKeltoRoutes** routes) override;

 private:
  void Forget() noexcept override { pipeline_ = nullptr; }
  kelto::data::Pipeline& Record() const;

  kelto::data::Pipeline* pipeline_;
};

}  // namespace kelto::faces
