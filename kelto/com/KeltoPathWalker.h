// CKeltoPathWalker: the scripting class KeltoPathWalker (IKeltoPathWalker),
// the data layer's PathWalker (kelto/data/PathWalker.h has the walking rules)
// over the faces of a loaded file.
//
// Start(point, leg) takes a point and a leg of one component of one file
// object of this module; anything else fails with E_INVALIDARG (null
// arguments with E_POINTER) and leaves the walker unstarted. Next gives the
// next point's face, or null (S_OK) at the end, and also before any
// successful Start. The walker holds the file object while it is started. If
// the file is loaded again after Start, Next fails with E_FAIL until the
// walker is started again: the records it stood on are gone.
#pragma once

#include <cstdint>
#include <optional>

#include "kelto/Piping.h"
#include "kelto/com/FaceDispatch.h"
#include "kelto/com/ModuleLock.h"
#include "kelto/com/PipingDispatch.h"
#include "kelto/data/PathWalker.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"

namespace kelto::faces {

class CKeltoFile;

class CKeltoPathWalker : public ComObject<CKeltoPathWalker, FaceDispatch<IKeltoPathWalker>,
                                          kelto::com::SupportErrorInfo<IKeltoPathWalker>> {
 public:
  CKeltoPathWalker();
  ~CKeltoPathWalker() override;

  // IKeltoPathWalker
  HRESULT Start(IKeltoPoint* point, IKeltoLeg* leg) override;
  HRESULT Next(IKeltoPoint** point) override;

 private:
  kelto::com::ComPtr<CKeltoFile> file_;
  std::uint64_t generation_ = 0;
  std::optional<kelto::data::PathWalker> walker_;
};

}  // namespace kelto::faces
