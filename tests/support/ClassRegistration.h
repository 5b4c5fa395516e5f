// Makes a module's classes creatable through CoCreateInstance for the life of
// the object, as the module's class table does when its library is loaded:
//
//   kelto::test::ClassRegistration<kelto3d::ModuleLock> classes{&kGroupEntry};
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"

namespace kelto::test {

template <class Lock>
class ClassRegistration {
 public:
  ClassRegistration(std::initializer_list<const kelto::com::ClassEntry*> entries) {
    for (const kelto::com::ClassEntry* entry : entries) {
      auto factory = kelto::com::MakeObject<kelto::com::ClassFactory<Lock>>(*entry);
      DWORD cookie = 0;
      EXPECT_EQ(CoRegisterClassObject(entry->clsid, static_cast<IClassFactory*>(factory.Get()),
                                      CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
                S_OK);
      m_cookies.push_back(cookie);
    }
  }
  ~ClassRegistration() {
    for (DWORD cookie : m_cookies) CoRevokeClassObject(cookie);
  }
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;

 private:
  std::vector<DWORD> m_cookies;
};

}  // namespace kelto::test
