// WriteClassStm / ReadClassStm and the class-tagged object round trip of
// OleSaveToStream / OleLoadFromStream, with a small persistable class made
// known to CoCreateInstance through CoRegisterClassObject.
#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Object.h"
#include "platform/com/Stream.h"
#include "support/ClassRegistration.h"
#include "support/FailingStream.h"
#include "support/PersistableFakes.h"
#include "support/TempDir.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::MakeMemoryStream;
using kelto::com::MakeObject;
using kelto::com::MemoryStreamBytes;

namespace {

using Bytes = std::vector<BYTE>;
using kelto::test::CPersistable;
using kelto::test::kPersistableClass;

class PersistTest : public ::testing::Test {
 protected:
  // Unknown classes are looked up in the settings store: keep it private.
  kelto::test::ScopedConfigHome config_;
  kelto::test::ClassRegistration<kelto::com::NoModuleLock> classes_{
      &kelto::test::kPersistableEntry, &kelto::test::kPersistOnlyEntry};
};

}  // namespace

// Stored option streams carry class ids in this byte order.
TEST(ClassStm, WritesTheFieldsLittleEndian) {
  auto s = MakeMemoryStream(Bytes{});
  ASSERT_EQ(WriteClassStm(s.Get(), kPersistableClass), S_OK);
  EXPECT_EQ(MemoryStreamBytes(s.Get()), (Bytes{0x3D, 0x2C, 0x1B, 0x0A, 0x5F, 0x4E, 0x72, 0x61, 0x83,
                                               0x94, 0xA5, 0xB6, 0xC7, 0xD8, 0xE9, 0xF0}));
}

TEST_F(PersistTest, LoadFailuresLeaveNoObject) {
  struct Case {
    const char* what;
    Bytes bytes;
    REFIID iid;
    HRESULT hr;
  };
  auto tagged = [](const CLSID& c, Bytes tail) {
    auto s = MakeMemoryStream(Bytes{});
    WriteClassStm(s.Get(), c);
    Bytes b = MemoryStreamBytes(s.Get());
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  };
  constexpr CLSID kUnknownClass = kelto::com::MakeGuid("0A1B2C3D-4E5F-6172-8394-A5B6C7D8E9F2");
  const Case cases[] = {
      {"truncated class id", Bytes(10, 1), IidOf<IUnknown>(), STG_E_READFAULT},
      {"truncated object data", tagged(kPersistableClass, {1, 0}), IidOf<IUnknown>(),
       STG_E_READFAULT},
      {"class without persistence", tagged(kelto::test::kPersistOnlyClass, {}), IidOf<IUnknown>(),
       E_NOINTERFACE},
      {"interface the object lacks", tagged(kPersistableClass, Bytes(8, 0)), IidOf<IStorage>(),
       E_NOINTERFACE},
      {"unknown class", tagged(kUnknownClass, {}), IidOf<IUnknown>(), REGDB_E_CLASSNOTREG},
  };
  for (const Case& c : cases) {
    void* object = &object;
    EXPECT_EQ(OleLoadFromStream(MakeMemoryStream(c.bytes).Get(), c.iid, &object), c.hr) << c.what;
    EXPECT_EQ(object, nullptr) << c.what;
  }
}

TEST_F(PersistTest, SaveStopsAtTheFirstStreamError) {
  auto point = MakeObject<CPersistable>();
  auto full = MakeObject<kelto::test::FailingStream>(
      MakeMemoryStream(Bytes{}), 0, 18, kelto::test::FailingStream::Mode::kError, STG_E_MEDIUMFULL);
  EXPECT_EQ(OleSaveToStream(point.Get(), full.Get()), STG_E_MEDIUMFULL);
}
