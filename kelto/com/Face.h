// Face<Derived, I>: the base of every scripting object that shows part of a
// loaded file (pipeline, component, details, point, leg, attribute, route,
// and their collections).
//
// Who owns what. The file object (CKeltoFile) owns every face it has handed
// out, in its face cache, and deletes them when it goes. A face's own
// reference count only counts the references callers hold: while it is above
// zero the face holds one reference to the file, so the file (and with it the
// data the face reads) lives as long as anybody holds any of its faces. When
// the count drops to zero the face stays in the cache and lets go of the file.
// References therefore only ever point from faces to the file, never back,
// and there is no cycle to leak; yet a face is made once per object, so its
// IUnknown is the object's identity for the life of the file.
//
// Reloads. A face whose object does not survive a reload (a point, leg,
// attribute or route of the old contents, or a pipeline or component whose id
// is gone) is retired: it leaves the cache and forgets its record; if nobody
// holds it, it is deleted at once, else with its last reference. Calls on a
// retired face fail with E_FAIL and a message, never touching freed data.
#pragma once

#include <string_view>
#include <utility>

#include "kelto/com/FaceDispatch.h"
#include "kelto/com/FacePool.h"
#include "kelto/com/ModuleLock.h"
#include "kelto/com/PipingDispatch.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"

namespace kelto::faces {

class CKeltoFile;

// The part of a face that the file's cache deals with.
class FaceLink {
 public:
  FaceLink(const FaceLink&) = delete;
  FaceLink& operator=(const FaceLink&) = delete;

  // Takes the face out of the cache's service (see above).
  void Retire() noexcept;
  // Deletes the face; the cache calls it only when nobody holds the face.
  virtual void Destroy() noexcept = 0;

 protected:
  explicit FaceLink(CKeltoFile& file) noexcept : file_(&file) {}
  ~FaceLink() = default;

  // Drops the face's pointers into the file's data; later calls fail.
  virtual void Forget() noexcept = 0;

  ULONG AddCaller() noexcept;
  ULONG ReleaseCaller() noexcept;

  CKeltoFile& File() const noexcept { return *file_; }
  // Where the face's storage came from (the file's pool).
  FacePool& Pool() const noexcept;

 private:
  CKeltoFile* file_;
  ULONG refs_ = 0;
  bool retired_ = false;
};

template <class Derived, class I, class... Extra>
class Face : public ComObject<Derived, FaceDispatch<I>, kelto::com::SupportErrorInfo<I>, Extra...>,
             public FaceLink {
 public:
  ULONG AddRef() override { return AddCaller(); }
  ULONG Release() override { return ReleaseCaller(); }
  // The file made the face in its pool (CKeltoFile::NewFace); the block goes
  // back there. The file is alive whenever a face is destroyed: a face is
  // destroyed by its last Release before that lets go of the file, or by the
  // file's own reload.
  void Destroy() noexcept override {
    FacePool& pool = Pool();
    auto* self = static_cast<Derived*>(this);
    self->~Derived();
    pool.Free(self, sizeof(Derived));
  }

 protected:
  explicit Face(CKeltoFile& file) noexcept : FaceLink(file) {}

  // Runs a member's body at the scripting boundary. Faces that are not
  // creatable report the piping module's file class as the error source.
  template <class F>
  HRESULT Guarded(F&& body) noexcept {
    return kelto::com::Guard(kelto::clsid::KeltoFile, kelto::com::IidOf<I>(),
                             std::forward<F>(body));
  }
};

// --- helpers for member bodies (they throw; Guard turns that into HRESULTs) ---

// E_POINTER for a null [out] pointer.
void RequireOut(const void* out);
// A new BSTR of UTF-8 text (null for "", which scripts read as "").
BSTR NewBstr(std::string_view utf8);
// E_FAIL: the face's object went with a reload.
[[noreturn]] void ThrowGone(const char* what);

// Hands a face out through an [out] interface pointer.
template <class I, class T>
void HandOut(kelto::com::ComPtr<T> face, I** out) {
  *out = face ? static_cast<I*>(face.Detach()) : nullptr;
}

}  // namespace kelto::faces
