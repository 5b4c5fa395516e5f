// The component module's type information as a generic client reads it: the
// registered library, its enumerations and classes, and every interface's
// functions checked against what IDispatch itself answers.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "kelto3d/ModelTree.h"
#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "platform/com/TypeInfo.h"
#include "support/TempDir.h"

namespace {

using kelto::com::ComPtr;
using kelto::com::IidOf;

constexpr GUID kLibId = kelto::com::MakeGuid("FD7041E5-BAD1-4944-B2AD-5DD89FEE6CEC");

std::string Take(BSTR b) {
  std::string text = kelto::com::BstrToUtf8(b);
  SysFreeString(b);
  return text;
}

std::vector<std::string> Names(ITypeInfo* info, MEMBERID id) {
  BSTR names[32] = {};
  UINT count = 0;
  EXPECT_EQ(info->GetNames(id, names, 32, &count), S_OK);
  std::vector<std::string> out;
  for (UINT i = 0; i < count; ++i) out.push_back(Take(names[i]));
  return out;
}

std::string TypeName(ITypeInfo* info) {
  BSTR name = nullptr;
  EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
  return Take(name);
}

class ModuleTypeInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    void* module = dlopen(KELTO_COMPONENT_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto registerServer = reinterpret_cast<HRESULT (*)()>(dlsym(module, "DllRegisterServer"));
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, lib_.Put()), S_OK);
  }
  kelto::test::ScopedConfigHome home_;
  ComPtr<ITypeLib> lib_;
};

TEST_F(ModuleTypeInfo, TheLibraryIsFoundByIdAndVersion) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, kLibId);
  lib_->ReleaseTLibAttr(attr);
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(lib_->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(Take(name), "CorvaneKelto3D");
  EXPECT_EQ(Take(help), "Corvane KeltoFile 3D Library version 1");

  struct Case {
    WORD major, minor;
    HRESULT expected;
  };
  for (const Case& c : {Case{1, 0, S_OK}, Case{1, 1, TYPE_E_LIBNOTREGISTERED}}) {
    ComPtr<ITypeLib> other;
    EXPECT_EQ(LoadRegTypeLib(kLibId, c.major, c.minor, 0, other.Put()), c.expected)
        << c.major << "." << c.minor;
  }
}

TEST_F(ModuleTypeInfo, EnumerationsCarryTheirConstants) {
  std::map<std::string, std::map<std::string, LONG>> enums;
  for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
    TYPEKIND kind{};
    ASSERT_EQ(lib_->GetTypeInfoType(i, &kind), S_OK);
    if (kind != TKIND_ENUM) continue;
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib_->GetTypeInfo(i, info.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    auto& constants = enums[TypeName(info.Get())];
    for (UINT v = 0; v < attr->cVars; ++v) {
      VARDESC* var = nullptr;
      ASSERT_EQ(info->GetVarDesc(v, &var), S_OK);
      EXPECT_EQ(var->varkind, VAR_CONST);
      constants[Names(info.Get(), var->memid).at(0)] = var->lpvarValue->lVal;
      info->ReleaseVarDesc(var);
    }
    info->ReleaseTypeAttr(attr);
  }
  struct Case {
    const char* type;
    const char* constant;
    LONG value;
    std::size_t count;
  };
  const Case cases[] = {
      {"MouseKeys", "mkXButton2", 64, 7},
      {"StandardViewDir", "svdLookSouth", 9, 10},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(enums.count(c.type)) << c.type;
    EXPECT_EQ(enums[c.type].size(), c.count) << c.type;
    EXPECT_EQ(enums[c.type][c.constant], c.value) << c.type << "." << c.constant;
  }
}

// Every function of every interface in the library has the dispid that the
// object's own GetIDsOfNames gives its name and a name for each parameter,
// and that object's GetTypeInfo is the library's type information for the
// interface.
TEST_F(ModuleTypeInfo, ClassesLeadToInterfacesThatAgreeWithTheirObjects) {
  int classes = 0;
  for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
    TYPEKIND kind{};
    ASSERT_EQ(lib_->GetTypeInfoType(i, &kind), S_OK);
    if (kind != TKIND_COCLASS) continue;
    ++classes;
    ComPtr<ITypeInfo> coclass, iface;
    ASSERT_EQ(lib_->GetTypeInfo(i, coclass.Put()), S_OK);
    HREFTYPE ref = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK) << TypeName(coclass.Get());
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, iface.Put()), S_OK);
    ComPtr<IDispatch> object;
    ASSERT_EQ(coclass->CreateInstance(nullptr, IidOf<IDispatch>(), object.PutVoid()), S_OK)
        << TypeName(coclass.Get());
    ComPtr<ITypeInfo> fromObject;
    ASSERT_EQ(object->GetTypeInfo(0, 0, fromObject.Put()), S_OK);
    EXPECT_EQ(fromObject.Get(), iface.Get()) << TypeName(coclass.Get());

    TYPEATTR* attr = nullptr;
    ASSERT_EQ(iface->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    for (UINT f = 0; f < attr->cFuncs; ++f) {
      FUNCDESC* func = nullptr;
      ASSERT_EQ(iface->GetFuncDesc(f, &func), S_OK);
      const std::vector<std::string> all = Names(iface.Get(), func->memid);
      // A property put's value is unnamed.
      const bool put = func->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
      ASSERT_EQ(all.size(), static_cast<std::size_t>(func->cParams) + (put ? 0 : 1)) << all.at(0);
      for (std::size_t p = 1; p < all.size(); ++p)
        EXPECT_NE(all[p].rfind("arg", 0), 0u) << all[0] << " has an unnamed parameter";
      const std::u16string name = kelto::com::Utf8ToUtf16(all[0]);
      LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
      DISPID id = 0;
      EXPECT_EQ(object->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
      EXPECT_EQ(id, func->memid) << TypeName(iface.Get());
      iface->ReleaseFuncDesc(func);
    }
    iface->ReleaseTypeAttr(attr);
  }
  EXPECT_EQ(classes, 20);  // all but the property page
}

TEST_F(ModuleTypeInfo, AFunctionShowsItsParametersAndTheirFlags) {
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(lib_->GetTypeInfoOfGuid(IidOf<kelto3d::IPrimitives>(), info.Put()), S_OK);
  std::u16string name = u"Add3DLine";
  LPOLESTR names[] = {name.data()};
  MEMBERID id = 0;
  ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  for (UINT f = 0; f < attr->cFuncs; ++f) {
    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(f, &func), S_OK);
    if (func->memid == id) {
      EXPECT_EQ(func->invkind, INVOKE_FUNC);
      ASSERT_EQ(func->cParams, 7);
      EXPECT_EQ(func->lprgelemdescParam[0].tdesc.vt, VT_R8);
      EXPECT_EQ(func->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN);
      const ELEMDESC& colour = func->lprgelemdescParam[6];
      EXPECT_EQ(colour.tdesc.vt, VT_I4);
      EXPECT_EQ(colour.paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
      EXPECT_EQ(colour.paramdesc.pparamdescex->varDefaultValue.lVal, 0);
      EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_VOID);
    }
    info->ReleaseFuncDesc(func);
  }
  info->ReleaseTypeAttr(attr);
}

}  // namespace
