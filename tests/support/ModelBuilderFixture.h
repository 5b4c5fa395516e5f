// The fixture of the model builders' scripting tests: the module classes a
// builder reaches made creatable, one builder object created through
// CoCreateInstance as a host creates it, example plants loaded by the piping
// library, and a look at a built model through the scripting side.
//
//   class ComSolidModelBuilder
//       : public kelto::test::ModelBuilderFixture<kelto3d::ISolidModelBuilder> {
//    protected:
//     ComSolidModelBuilder()
//         : ModelBuilderFixture(kelto3d::kClsidSolidModelBuilder, {&kBuilderEntry, ...}) {}
//   };
//
// KELTO_SOURCE_DIR (the source tree) must be defined where this is included.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "com/ModuleLock.h"
#include "kelto/Piping.h"
#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Strings.h"
#include "support/ClassRegistration.h"
#include "support/ScriptHost.h"

namespace kelto::test {

// The description of the thread's error information ("" when none), taken.
inline std::string LastErrorDescription() { return TakePending().text; }

// Interface: the builder class's own interface (on IModelBuilder).
template <class Interface>
class ModelBuilderFixture : public ::testing::Test {
 protected:
  // clsid: the builder's class; entries: the classes to make creatable (the
  // builder's among them).
  ModelBuilderFixture(const CLSID& clsid,
                      std::initializer_list<const kelto::com::ClassEntry*> entries)
      : m_clsid(clsid), classes(entries) {}

  void SetUp() override {
    ASSERT_EQ(CoCreateInstance(m_clsid, nullptr, CLSCTX_INPROC_SERVER,
                               kelto::com::IidOf<IDispatch>(), builder.PutVoid()),
              S_OK);
  }

  // The example plant examples/<name>, loaded by the piping library.
  static kelto::com::ComPtr<IDispatch> LoadExample(const char* name) {
    kelto::com::ComPtr<IDispatch> file;
    EXPECT_EQ(CoCreateInstance(kelto::clsid::KeltoFile, nullptr, CLSCTX_INPROC_SERVER,
                               kelto::com::IidOf<IDispatch>(), file.PutVoid()),
              S_OK);
    const std::string path = (std::filesystem::path(KELTO_SOURCE_DIR) / "examples" / name).string();
    EXPECT_TRUE(Call(file.Get(), u"Load", {_variant_t(path.c_str())}).ok());
    return file;
  }

  // The geometry count of each child of node, in Item order.
  static std::vector<LONG> ChildGeometryCounts(IDispatch* node) {
    std::vector<LONG> counts;
    auto children = Get(node, u"Children");
    auto count = Get(ObjectOf(children), u"Count");
    for (LONG i = 1; i <= count.value.lVal; ++i) {
      auto child = Get(ObjectOf(children), u"Item", {_variant_t(i)});
      auto geometry = Get(ObjectOf(child), u"Geometry");
      counts.push_back(Get(ObjectOf(geometry), u"Count").value.lVal);
    }
    return counts;
  }

  // The builder through its own interface, for calls by vtable.
  kelto::com::ComPtr<Interface> Vtable() {
    kelto::com::ComPtr<Interface> face;
    EXPECT_EQ(builder->QueryInterface(kelto::com::IidOf<Interface>(), face.PutVoid()), S_OK);
    return face;
  }

 private:
  CLSID m_clsid;

 protected:
  // Declared before the builder, so the builder is gone before its class is
  // revoked.
  ClassRegistration<kelto3d::ModuleLock> classes;
  kelto::com::ComPtr<IDispatch> builder;
};

}  // namespace kelto::test
