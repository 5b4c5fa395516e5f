// Shared helpers of the piping-face tests: opening the sample plants through
// the file class, late-bound calls by name (GetIDsOfNames + Invoke with the
// flags and locale the tag engine uses), and reading the thread's error info.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "../PlantText.h"
#include "kelto/com/KeltoFile.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "support/ScriptHost.h"

namespace faces_test {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::faces::CKeltoFile;

using kelto::test::Example;
using kelto::test::WriteText;

// A new file object of the faces library (not through the module).
inline ComPtr<CKeltoFile> NewFile() { return kelto::com::MakeObject<CKeltoFile>(); }

inline ComPtr<CKeltoFile> OpenFile(const std::string& path) {
  ComPtr<CKeltoFile> file = NewFile();
  EXPECT_EQ(file->Load(_bstr_t(path)), S_OK) << path;
  return file;
}

// The description of the thread's error info (consumed), or "<none>".
inline std::string TakeErrorText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return "<none>";
  _bstr_t text;
  info->GetDescription(text.GetAddress());
  return text.str();
}

inline DISPID IdOf(IDispatch* object, const std::string& name) {
  const DISPID id = kelto::test::DispidOf(object, kelto::com::Utf8ToUtf16(name).c_str());
  EXPECT_NE(id, DISPID_UNKNOWN) << name;
  return id;
}

// Invoke with flags METHOD|PROPERTYGET; args in the order written.
inline kelto::test::ScriptResult Invoke(IDispatch* object, DISPID id,
                                        std::vector<_variant_t> args) {
  return kelto::test::InvokeId(object, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}

// A member by name; fails the test unless the call succeeds.
inline _variant_t Get(IDispatch* object, const std::string& name,
                      std::vector<_variant_t> args = {}) {
  kelto::test::ScriptResult r = Invoke(object, IdOf(object, name), std::move(args));
  EXPECT_EQ(r.hr, S_OK) << name << ": " << r.error;
  return r.value;
}

// The text form of a value (VariantChangeType to VT_BSTR); objects read
// "<object>" or "<null>".
inline std::string Text(const _variant_t& value) {
  if (value.vt == VT_DISPATCH) return value.pdispVal ? "<object>" : "<null>";
  _variant_t text;
  if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR))) return "<not text>";
  return kelto::com::BstrToUtf8(text.bstrVal);
}

// What a getter hands out through its last argument, e.g.
// Out(valve, &IKeltoComponent::get_Details) or
// Out(points, &IKeltoPoints::get_Item, _variant_t("Run_1")); expects S_OK.
template <class C, class I, class O>
ComPtr<I> Out(O* object, HRESULT (C::*member)(I**)) {
  ComPtr<I> result;
  EXPECT_EQ((object->*member)(result.Put()), S_OK);
  return result;
}
template <class C, class I, class O>
ComPtr<I> Out(O* object, HRESULT (C::*member)(VARIANT, I**), const _variant_t& index) {
  ComPtr<I> result;
  EXPECT_EQ((object->*member)(index, result.Put()), S_OK) << Text(index);
  return result;
}
template <class C, class O>
std::string Str(O* object, HRESULT (C::*member)(BSTR*)) {
  _bstr_t text;
  EXPECT_EQ((object->*member)(text.GetAddress()), S_OK);
  return text.str();
}

// Calls fn(component) for every component of the file, through the vtables;
// stops early when fn returns true.
template <class Fn>
bool ForEachComponent(IKeltoFile* file, Fn&& fn) {
  const auto pipelines = Out(file, &IKeltoFile::get_Pipelines);
  LONG pipelineCount = 0;
  pipelines->get_Count(&pipelineCount);
  for (int p = 0; p < pipelineCount; ++p) {
    const auto pipeline = Out(pipelines.Get(), &IKeltoPipelines::get_Item, _variant_t(p));
    const auto components = Out(pipeline.Get(), &IKeltoPipeline::get_Components);
    LONG count = 0;
    components->get_Count(&count);
    for (int c = 0; c < count; ++c)
      if (fn(Out(components.Get(), &IKeltoComponents::get_Item, _variant_t(c)))) return true;
  }
  return false;
}

// A component by id, found through the vtables.
inline ComPtr<IKeltoComponent> FindComponent(IKeltoFile* file, const std::string& id) {
  ComPtr<IKeltoComponent> found;
  if (ForEachComponent(file, [&](ComPtr<IKeltoComponent> component) {
        if (Str(component.Get(), &IKeltoComponent::get_Id) != id) return false;
        found = component;
        return true;
      }))
    return found;
  ADD_FAILURE() << "no component " << id;
  return nullptr;
}

inline ComPtr<IKeltoPoint> PointOf(IKeltoComponent* component, const char* name) {
  return Out(Out(component, &IKeltoComponent::get_Points).Get(), &IKeltoPoints::get_Item,
             _variant_t(name));
}

inline ComPtr<IKeltoLeg> LegOf(IKeltoComponent* component, int index) {
  return Out(Out(component, &IKeltoComponent::get_Legs).Get(), &IKeltoLegs::get_Item,
             _variant_t(index));
}

inline std::string NameOf(IKeltoPoint* point) { return Str(point, &IKeltoPoint::get_Name); }

inline std::string OwnerIdOf(IKeltoPoint* point) {
  return Str(Out(point, &IKeltoPoint::get_OwnerComponent).Get(), &IKeltoComponent::get_Id);
}

}  // namespace faces_test
