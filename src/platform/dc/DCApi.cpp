#include "platform/dc/DCApi.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/com/ErrorInfo.h"
#include "platform/com/Guid.h"
#include "platform/dc/DCHandleTable.h"
#include "platform/dc/DeviceContext.h"

namespace kelto::dc {
namespace {

HRESULT Fail(const std::string& message, HRESULT hr = E_FAIL) {
  return com::ReportError(GUID_NULL, GUID_NULL, message, hr);
}

// The device contexts this API made, by handle. The handle table holds their
// cairo contexts for the modules; this keeps the objects that own them.
class Owned {
 public:
  static Owned& Instance() {
    // Never destroyed, like the handle table: a host may free its contexts
    // from its own static destruction.
    static Owned* owned = new Owned;
    return *owned;
  }

  UINT Add(CDeviceContext dc) {
    auto owned = std::make_unique<CDeviceContext>(std::move(dc));
    const std::uint32_t handle = CDCHandleTable::Instance().Add(owned->Cairo());
    if (!handle) {
      Fail("device context: no handle left");
      return 0;
    }
    std::lock_guard lock(mutex_);
    entries_.emplace(handle, std::move(owned));
    return handle;
  }

  CDeviceContext* Find(UINT hdc) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(hdc);
    return it == entries_.end() ? nullptr : it->second.get();
  }

  std::unique_ptr<CDeviceContext> Take(UINT hdc) {
    std::unique_ptr<CDeviceContext> dc;
    {
      std::lock_guard lock(mutex_);
      auto it = entries_.find(hdc);
      if (it == entries_.end()) return nullptr;
      dc = std::move(it->second);
      entries_.erase(it);
    }
    CDCHandleTable::Instance().Remove(hdc);
    return dc;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<UINT, std::unique_ptr<CDeviceContext>> entries_;
};

template <class Make>
UINT Create(Make&& make) noexcept {
  try {
    const UINT handle = Owned::Instance().Add(make());
    if (handle) com::ClearError();
    return handle;
  } catch (const std::exception& e) {
    Fail(e.what());
  } catch (...) {
    Fail("device context: cannot be created");
  }
  return 0;
}

HRESULT UnknownHandle(UINT hdc) {
  return Fail("device context: " + std::to_string(hdc) + " is not a handle made by KeltoCreate…DC",
              E_HANDLE);
}

HRESULT FinishReported(CDeviceContext& dc) {
  if (dc.Finish()) return S_OK;
  return Fail(dc.Error());
}

}  // namespace
}  // namespace kelto::dc

using kelto::dc::CDeviceContext;
using kelto::dc::Owned;

KELTO_API UINT KeltoCreateImageDC(int width, int height) {
  return kelto::dc::Create([&] { return CDeviceContext::CreateImage(width, height); });
}

KELTO_API UINT KeltoCreateFileDC(const char* path, int kind, double width, double height) {
  return kelto::dc::Create([&] {
    if (!path || !*path) throw std::invalid_argument("device context: no file name");
    // A PNG's pixels must be whole; a page in points need not be.
    switch (kind) {
      case KELTO_DC_PNG:
        if (!(width >= 1 && height >= 1 && width <= 32767 && height <= 32767))
          throw std::invalid_argument(std::string("device context: ") + path +
                                      ": image size out of range");
        return CDeviceContext::CreatePng(path, int(width), int(height));
      case KELTO_DC_PDF:
        return CDeviceContext::CreatePdf(path, width, height);
      case KELTO_DC_SVG:
        return CDeviceContext::CreateSvg(path, width, height);
      default:
        throw std::invalid_argument(std::string("device context: ") + path + ": unknown kind " +
                                    std::to_string(kind) + " (1 PNG, 2 PDF, 3 SVG)");
    }
  });
}

KELTO_API UINT KeltoCreateWindowDC(void* display, unsigned long window) {
  return kelto::dc::Create(
      [&] { return CDeviceContext::CreateForWindow(static_cast<_XDisplay*>(display), window); });
}

KELTO_API HRESULT KeltoGetDCSize(UINT hdc, double* width, double* height) {
  if (!width || !height) return kelto::dc::Fail("device context: null size pointer", E_POINTER);
  CDeviceContext* dc = Owned::Instance().Find(hdc);
  if (!dc) return kelto::dc::UnknownHandle(hdc);
  *width = dc->Width();
  *height = dc->Height();
  kelto::com::ClearError();
  return S_OK;
}

KELTO_API HRESULT KeltoGetDCPixels(UINT hdc, BYTE* buffer, UINT bufferSize) {
  if (!buffer) return kelto::dc::Fail("device context: null pixel buffer", E_POINTER);
  CDeviceContext* dc = Owned::Instance().Find(hdc);
  if (!dc) return kelto::dc::UnknownHandle(hdc);
  if (dc->GetKind() != CDeviceContext::Kind::Image && dc->GetKind() != CDeviceContext::Kind::Png)
    return kelto::dc::Fail("device context: only image and PNG targets hold pixels", E_INVALIDARG);
  cairo_surface_t* surface = dc->Surface();
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const std::uint64_t needed = std::uint64_t(width) * std::uint64_t(height) * 4;
  if (bufferSize < needed)
    return kelto::dc::Fail("device context: pixel buffer of " + std::to_string(bufferSize) +
                               " bytes, " + std::to_string(needed) + " needed",
                           E_INVALIDARG);
  const unsigned char* rows = cairo_image_surface_get_data(surface);
  for (int y = 0; y < height; ++y) {
    BYTE* out = buffer + std::size_t(y) * width * 4;
    std::memcpy(out, rows + std::size_t(y) * stride, std::size_t(width) * 4);
    // cairo leaves the fourth byte of an RGB image undefined.
    for (int x = 0; x < width; ++x) out[x * 4 + 3] = 0xFF;
  }
  kelto::com::ClearError();
  return S_OK;
}

KELTO_API HRESULT KeltoFinishDC(UINT hdc) {
  CDeviceContext* dc = Owned::Instance().Find(hdc);
  if (!dc) return kelto::dc::UnknownHandle(hdc);
  const HRESULT hr = kelto::dc::FinishReported(*dc);
  if (SUCCEEDED(hr)) kelto::com::ClearError();
  return hr;
}

KELTO_API HRESULT KeltoDeleteDC(UINT hdc) {
  std::unique_ptr<CDeviceContext> dc = Owned::Instance().Take(hdc);
  if (!dc) return kelto::dc::UnknownHandle(hdc);
  const HRESULT hr = kelto::dc::FinishReported(*dc);
  if (SUCCEEDED(hr)) kelto::com::ClearError();
  return hr;
}

KELTO_API HRESULT KeltoAbandonDC(UINT hdc) {
  std::unique_ptr<CDeviceContext> dc = Owned::Instance().Take(hdc);
  if (!dc) return kelto::dc::UnknownHandle(hdc);
  dc->Abandon();
  kelto::com::ClearError();
  return S_OK;
}
