// The component module's type information as a generic client reads it (the
// way `kelto3d classes` does): the registered library, its classes, and every
// interface's functions checked against what IDispatch itself answers.
#include <dlfcn.h>
#include <gtest/gtest.h>

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


class ModuleTypeInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    void* module = dlopen(KELTO_COMPONENT_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto registerServer = reinterpret_cast<HRESULT (*)()>(dlsym(module, "DllRegisterServer"));
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(LoadRegTypeLib(kLibId, 1, 0, 0, lib_.Put()), S_OK);
    ComPtr<ITypeLib> newer;
    EXPECT_EQ(LoadRegTypeLib(kLibId, 1, 1, 0, newer.Put()), TYPE_E_LIBNOTREGISTERED);
  }
  kelto::test::ScopedConfigHome home_;
  ComPtr<ITypeLib> lib_;
};

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
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK) << "class " << i;
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, iface.Put()), S_OK);
    ComPtr<IDispatch> object;
    ASSERT_EQ(coclass->CreateInstance(nullptr, IidOf<IDispatch>(), object.PutVoid()), S_OK)
        << "class " << i;
    ComPtr<ITypeInfo> fromObject;
    ASSERT_EQ(object->GetTypeInfo(0, 0, fromObject.Put()), S_OK);
    EXPECT_EQ(fromObject.Get(), iface.Get()) << "class " << i;

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
      EXPECT_EQ(id, func->memid) << all.at(0);
      iface->ReleaseFuncDesc(func);
    }
    iface->ReleaseTypeAttr(attr);
  }
  EXPECT_EQ(classes, 20);  // all but the property page
}

}  // namespace
