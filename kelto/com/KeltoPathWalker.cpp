#include "kelto/com/KeltoPathWalker.h"

#include <utility>

#include "kelto/com/KeltoFile.h"
#include "kelto/com/KeltoPoint.h"
#include "kelto/com/RecordAccess.h"

namespace kelto::faces {

using kelto::com::ComPtr;
using kelto::com::HResultError;

namespace {

template <class F>
HRESULT Guarded(F&& body) noexcept {
  return kelto::com::Guard(kelto::clsid::KeltoPathWalker, kelto::com::IidOf<IKeltoPathWalker>(),
                           std::forward<F>(body));
}

ComPtr<IKeltoRecordAccess> RecordsOf(IUnknown* face) {
  ComPtr<IKeltoRecordAccess> access;
  face->QueryInterface(kelto::com::IidOf<IKeltoRecordAccess>(), access.PutVoid());
  if (!access)
    throw HResultError(E_INVALIDARG,
                       "Start takes a point and a leg of a file opened by the piping library.");
  return access;
}

}  // namespace

CKeltoPathWalker::CKeltoPathWalker() = default;
CKeltoPathWalker::~CKeltoPathWalker() = default;

HRESULT CKeltoPathWalker::Start(IKeltoPoint* point, IKeltoLeg* leg) {
  return Guarded([&] {
    walker_.reset();
    file_.Reset();
    if (!point || !leg) throw HResultError(E_POINTER, "Start needs a point and a leg.");
    const ComPtr<IKeltoRecordAccess> p = RecordsOf(point);
    const ComPtr<IKeltoRecordAccess> l = RecordsOf(leg);
    const kelto::data::Point* pointRecord = p->PointRecord();
    const kelto::data::Leg* legRecord = l->LegRecord();
    if (!pointRecord || !legRecord)
      throw HResultError(
          E_INVALIDARG, "Start was given a point or leg that went when its file was loaded again.");
    if (p->RecordFile() != l->RecordFile())
      throw HResultError(E_INVALIDARG, "The point and the leg belong to different files.");
    ComPtr<CKeltoFile> file(p->RecordFile());
    kelto::data::PathWalker walker(file->Data());
    if (!walker.Start(*pointRecord, *legRecord))
      throw HResultError(E_INVALIDARG, "The leg does not end at the point.");
    generation_ = file->Data().Generation();
    walker_.emplace(walker);
    file_ = std::move(file);
  });
}

HRESULT CKeltoPathWalker::Next(IKeltoPoint** point) {
  return Guarded([&] {
    RequireOut(point);
    *point = nullptr;
    if (!walker_) return;
    if (file_->Data().Generation() != generation_)
      throw HResultError(E_FAIL, "The file was loaded again after Start: start the walker again.");
    if (const kelto::data::Point* next = walker_->Next()) HandOut(file_->PointFace(*next), point);
  });
}

}  // namespace kelto::faces
