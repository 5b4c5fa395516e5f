// A small automation object for the tag-engine tests: a dual interface built
// from a dispatch table, so the engine reaches it exactly as it reaches the
// piping objects (GetIDsOfNames + Invoke, flags 3). It has nested objects
// (Owner), a member taking an argument (Attributes(name)), a two-argument
// method whose result shows the argument order (Join), a member that always
// fails (Broken), and counts the calls of Name, Attributes and Broken.
#pragma once

#include <map>
#include <stdexcept>
#include <string>

#include "platform/com/Boundary.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace tags_test {

struct IFakeObject : IDispatch {
  virtual HRESULT get_Name(BSTR* pVal) = 0;
  virtual HRESULT get_Value(VARIANT* pVal) = 0;
  virtual HRESULT get_Owner(IFakeObject** pVal) = 0;
  virtual HRESULT get_Attributes(BSTR name, IFakeObject** pVal) = 0;
  virtual HRESULT Join(BSTR first, BSTR second, BSTR* result) = 0;
  virtual HRESULT get_Broken(VARIANT* pVal) = 0;
};

}  // namespace tags_test

KELTO_INTERFACE_IID(tags_test::IFakeObject, IDispatch, "3E0C58A1-7B7D-4C57-9F4C-0A6B3B5D2E11");
// clang-format off
KELTO_DISPATCH_MAP(tags_test::IFakeObject,
    kelto::com::PropGet<&tags_test::IFakeObject::get_Name>("Name", 1),
    kelto::com::PropGet<&tags_test::IFakeObject::get_Value>("Value", 2),
    kelto::com::PropGet<&tags_test::IFakeObject::get_Owner>("Owner", 4),
    kelto::com::PropGet<&tags_test::IFakeObject::get_Attributes>("Attributes", 5),
    kelto::com::Method<&tags_test::IFakeObject::Join>("Join", 6),
    kelto::com::PropGet<&tags_test::IFakeObject::get_Broken>("Broken", 7));
// clang-format on

namespace tags_test {

inline constexpr CLSID kClsidFake = kelto::com::MakeGuid("3E0C58A1-7B7D-4C57-9F4C-0A6B3B5D2E12");

class FakeObject : public kelto::com::Object<FakeObject, kelto::com::Dual<IFakeObject>> {
 public:
  std::string name;
  _variant_t value;
  kelto::com::ComPtr<FakeObject> owner;
  std::map<std::string, kelto::com::ComPtr<FakeObject>> attributes;
  // Member name → number of calls.
  std::map<std::string, int> calls;

  HRESULT get_Name(BSTR* pVal) override {
    ++calls["Name"];
    *pVal = kelto::com::AllocBstr(std::string_view(name));
    return S_OK;
  }
  HRESULT get_Value(VARIANT* pVal) override { return VariantCopy(pVal, &value); }
  HRESULT get_Owner(IFakeObject** pVal) override {
    *pVal = owner.Get();
    if (*pVal) (*pVal)->AddRef();
    return S_OK;
  }
  HRESULT get_Attributes(BSTR key, IFakeObject** pVal) override {
    ++calls["Attributes"];
    *pVal = nullptr;
    const auto found = attributes.find(kelto::com::BstrToUtf8(key));
    if (found == attributes.end()) {
      return kelto::com::Guard(kClsidFake, kelto::com::IidOf<IFakeObject>(),
                               [] { throw std::invalid_argument("No such attribute."); });
    }
    *pVal = found->second.Get();
    (*pVal)->AddRef();
    return S_OK;
  }
  HRESULT Join(BSTR first, BSTR second, BSTR* result) override {
    const std::string joined = kelto::com::BstrToUtf8(first) + "|" + kelto::com::BstrToUtf8(second);
    *result = kelto::com::AllocBstr(std::string_view(joined));
    return S_OK;
  }
  HRESULT get_Broken(VARIANT*) override {
    ++calls["Broken"];
    return kelto::com::Guard(kClsidFake, kelto::com::IidOf<IFakeObject>(),
                             [] { throw std::runtime_error("Broken on purpose."); });
  }
};

inline kelto::com::ComPtr<FakeObject> MakeFake(std::string name) {
  auto object = kelto::com::MakeObject<FakeObject>();
  object->name = std::move(name);
  return object;
}

// The fake as the IDispatch the engine is handed.
inline IDispatch* AsDispatch(const kelto::com::ComPtr<FakeObject>& object) {
  return static_cast<IFakeObject*>(object.Get());
}

}  // namespace tags_test
