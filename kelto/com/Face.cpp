#include "kelto/com/Face.h"

#include <new>
#include <string>

#include "kelto/com/KeltoFile.h"
#include "platform/com/Strings.h"

namespace kelto::faces {

FacePool& FaceLink::Pool() const noexcept { return file_->Faces(); }

void FaceLink::Retire() noexcept {
  retired_ = true;
  Forget();
  if (refs_ == 0) Destroy();
}

ULONG FaceLink::AddCaller() noexcept {
  if (refs_++ == 0) file_->AddRef();
  return refs_;
}

ULONG FaceLink::ReleaseCaller() noexcept {
  const ULONG n = --refs_;
  if (n == 0) {
    // Releasing the file may delete it, and with it every face in its cache,
    // this one included: nothing below may touch the face any more.
    CKeltoFile* file = file_;
    if (retired_) Destroy();
    file->Release();
  }
  return n;
}

void RequireOut(const void* out) {
  if (!out) throw kelto::com::HResultError(E_POINTER, "Null result pointer.");
}

BSTR NewBstr(std::string_view utf8) {
  BSTR b = kelto::com::AllocBstr(utf8);
  if (!b) throw std::bad_alloc();
  return b;
}

void ThrowGone(const char* what) {
  throw kelto::com::HResultError(
      E_FAIL, std::string("The ") + what +
                  " is no longer part of the file: it went when the file was loaded again.");
}

}  // namespace kelto::faces
