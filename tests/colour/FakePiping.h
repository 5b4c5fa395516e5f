// Small stand-ins for the piping library's components and their Details, for
// the colour-scheme tests: dual objects built with the runtime's dispatch
// tables, so the tag engine reaches them by name exactly as it reaches the
// real ones. Each can be told to fail the way a broken component would.
#pragma once

#include <stdexcept>
#include <string>

#include "kelto/Piping.h"
#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"

// clang-format off
KELTO_DISPATCH_MAP(IKeltoItem,
    kelto::com::PropGet<&IKeltoItem::get_TypeName>("TypeName", 1),
    kelto::com::PropGet<&IKeltoItem::get_GroupName>("GroupName", 2),
    kelto::com::PropGet<&IKeltoItem::get_ItemCode>("ItemCode", 3));
KELTO_DISPATCH_MAP(IKeltoComponent,
    kelto::com::PropGet<&IKeltoComponent::get_Id>("Id", 1),
    kelto::com::PropGet<&IKeltoComponent::get_Details>("Details", 6));
// clang-format on

namespace colour_test {

inline constexpr CLSID kClsidFakePiping =
    kelto::com::MakeGuid("5A0F7C2E-3B1D-4E8A-9C6F-2D4B8E1A7F30");

// Fails a member the way a piping object does: HRESULT plus error info.
inline HRESULT Fail(const IID& iid, const char* message) {
  return kelto::com::Guard(kClsidFakePiping, iid, [&] { throw std::runtime_error(message); });
}

class FakeItem : public kelto::com::Object<FakeItem, kelto::com::Dual<IKeltoItem>,
                                           kelto::com::SupportErrorInfo<IKeltoItem>> {
 public:
  std::string typeName = "Pipe";
  std::string groupName = "Pipe";
  bool failGroupName = false;

  HRESULT get_TypeName(BSTR* name) override {
    *name = kelto::com::AllocBstr(std::string_view(typeName));
    return S_OK;
  }
  HRESULT get_GroupName(BSTR* name) override {
    if (failGroupName) return Fail(kelto::com::IidOf<IKeltoItem>(), "GroupName is broken.");
    *name = kelto::com::AllocBstr(std::string_view(groupName));
    return S_OK;
  }
  HRESULT get_ItemCode(LONG* code) override {
    *code = 42;
    return S_OK;
  }
  HRESULT get_SymbolKey(BSTR*) override { return E_NOTIMPL; }
  HRESULT get_ShapeCode(BSTR*) override { return E_NOTIMPL; }
};

class FakeComponent : public kelto::com::Object<FakeComponent, kelto::com::Dual<IKeltoComponent>,
                                                kelto::com::SupportErrorInfo<IKeltoComponent>> {
 public:
  std::string id = "C1";
  kelto::com::ComPtr<FakeItem> details = kelto::com::MakeObject<FakeItem>();
  bool failDetails = false;
  int detailsCalls = 0;

  HRESULT get_Id(BSTR* value) override {
    *value = kelto::com::AllocBstr(std::string_view(id));
    return S_OK;
  }
  HRESULT get_Details(IKeltoItem** item) override {
    ++detailsCalls;
    *item = nullptr;
    if (failDetails) return Fail(kelto::com::IidOf<IKeltoComponent>(), "Details are broken.");
    *item = details.Get();
    if (*item) (*item)->AddRef();
    return S_OK;
  }
  HRESULT get_Pipeline(IKeltoPipeline**) override { return E_NOTIMPL; }
  HRESULT get_Legs(IKeltoLegs**) override { return E_NOTIMPL; }
  HRESULT get_Points(IKeltoPoints**) override { return E_NOTIMPL; }
  HRESULT get_Attributes(IKeltoAttributes**) override { return E_NOTIMPL; }
  HRESULT get_AttachmentCount(LONG*) override { return E_NOTIMPL; }
  HRESULT get_Attachment(LONG, IKeltoComponent**) override { return E_NOTIMPL; }
};

// A component of the given group (its type name is the group's too).
inline kelto::com::ComPtr<FakeComponent> MakeComponent(std::string group, std::string id = "C1") {
  auto component = kelto::com::MakeObject<FakeComponent>();
  component->id = std::move(id);
  component->details->groupName = group;
  component->details->typeName = std::move(group);
  return component;
}

}  // namespace colour_test
