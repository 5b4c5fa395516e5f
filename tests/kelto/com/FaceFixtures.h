// Shared helpers of the piping-face tests: opening the sample plants through
// the file class, late-bound calls by name (GetIDsOfNames + Invoke with the
// flags and locale the tag engine uses), and reading the thread's error info.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "kelto/com/KeltoFile.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace faces_test {

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::faces::CKeltoFile;

inline std::string Example(const char* name) {
  return std::string(KELTO_SOURCE_DIR) + "/examples/" + name;
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

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
  std::u16string wide = kelto::com::Utf8ToUtf16(name);
  LPOLESTR names[1] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(GUID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id), S_OK) << name;
  return id;
}

// Invoke with flags METHOD|PROPERTYGET; args in the order written.
inline HRESULT Invoke(IDispatch* object, DISPID id, std::vector<VARIANT> args, _variant_t* result,
                      EXCEPINFO* info = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  UINT argError = 0;
  return object->Invoke(id, GUID_NULL, LOCALE_SYSTEM_DEFAULT,
                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result, info, &argError);
}

// A member by name; fails the test unless the call succeeds.
inline _variant_t Get(IDispatch* object, const std::string& name, std::vector<VARIANT> args = {}) {
  _variant_t result;
  EXCEPINFO info{};
  const HRESULT hr = Invoke(object, IdOf(object, name), std::move(args), &result, &info);
  EXPECT_EQ(hr, S_OK) << name << ": " << kelto::com::BstrToUtf8(info.bstrDescription);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return result;
}

inline ComPtr<IDispatch> AsObject(const _variant_t& value) {
  EXPECT_EQ(value.vt, VT_DISPATCH);
  return ComPtr<IDispatch>(value.vt == VT_DISPATCH ? value.pdispVal : nullptr);
}

// The text form of a value (VariantChangeType to VT_BSTR); objects read
// "<object>" or "<null>".
inline std::string Text(const _variant_t& value) {
  if (value.vt == VT_DISPATCH) return value.pdispVal ? "<object>" : "<null>";
  _variant_t text;
  if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR))) return "<not text>";
  return kelto::com::BstrToUtf8(text.bstrVal);
}

// A component by id, found through the vtables.
inline ComPtr<IKeltoComponent> FindComponent(IKeltoFile* file, const std::string& id) {
  ComPtr<IKeltoPipelines> pipelines;
  EXPECT_EQ(file->get_Pipelines(pipelines.Put()), S_OK);
  LONG pipelineCount = 0;
  pipelines->get_Count(&pipelineCount);
  for (LONG p = 0; p < pipelineCount; ++p) {
    ComPtr<IKeltoPipeline> pipeline;
    pipelines->get_Item(_variant_t(static_cast<int>(p)), pipeline.Put());
    ComPtr<IKeltoComponents> components;
    pipeline->get_Components(components.Put());
    LONG count = 0;
    components->get_Count(&count);
    for (LONG c = 0; c < count; ++c) {
      ComPtr<IKeltoComponent> component;
      components->get_Item(_variant_t(static_cast<int>(c)), component.Put());
      _bstr_t got;
      component->get_Id(got.GetAddress());
      if (got.str() == id) return component;
    }
  }
  ADD_FAILURE() << "no component " << id;
  return nullptr;
}

inline ComPtr<IKeltoPoint> PointOf(IKeltoComponent* component, const char* name) {
  ComPtr<IKeltoPoints> points;
  EXPECT_EQ(component->get_Points(points.Put()), S_OK);
  ComPtr<IKeltoPoint> point;
  EXPECT_EQ(points->get_Item(_variant_t(name), point.Put()), S_OK);
  return point;
}

inline ComPtr<IKeltoLeg> LegOf(IKeltoComponent* component, int index) {
  ComPtr<IKeltoLegs> legs;
  EXPECT_EQ(component->get_Legs(legs.Put()), S_OK);
  ComPtr<IKeltoLeg> leg;
  EXPECT_EQ(legs->get_Item(_variant_t(index), leg.Put()), S_OK);
  return leg;
}

inline std::string NameOf(IKeltoPoint* point) {
  _bstr_t name;
  point->get_Name(name.GetAddress());
  return name.str();
}

inline std::string OwnerIdOf(IKeltoPoint* point) {
  ComPtr<IKeltoComponent> owner;
  point->get_OwnerComponent(owner.Put());
  _bstr_t id;
  owner->get_Id(id.GetAddress());
  return id.str();
}

}  // namespace faces_test
