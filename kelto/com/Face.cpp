#include "kelto/com/Face.h"

#include <algorithm>
#include <new>
#include <string>

#include "kelto/com/KeltoFile.h"
#include "platform/com/Api.h"
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
  // Names, types and end types are ASCII: widened in place, without the
  // UTF-16 string a conversion builds first.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(utf8.size()));
    if (!b) throw std::bad_alloc();
    std::copy(utf8.begin(), utf8.end(), b);
    return b;
  }
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
