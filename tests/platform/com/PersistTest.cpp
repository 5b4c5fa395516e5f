// WriteClassStm / ReadClassStm and the class-tagged object round trip of
// OleSaveToStream / OleLoadFromStream, with a small persistable class made
// known to CoCreateInstance through CoRegisterClassObject.
#include <gtest/gtest.h>

#include <vector>

#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Object.h"
#include "platform/com/Stream.h"
#include "support/ClassRegistration.h"
#include "support/FailingStream.h"
#include "support/TempDir.h"

using kelto::com::ComPtr;
using kelto::com::IidOf;
using kelto::com::MakeMemoryStream;
using kelto::com::MakeObject;
using kelto::com::MemoryStreamBytes;

namespace {

using Bytes = std::vector<BYTE>;

constexpr CLSID kPointClass = kelto::com::MakeGuid("0A1B2C3D-4E5F-6172-8394-A5B6C7D8E9F0");
constexpr CLSID kPlainClass = kelto::com::MakeGuid("0A1B2C3D-4E5F-6172-8394-A5B6C7D8E9F1");

// A test-only interface so that OleLoadFromStream can be asked for an
// interface other than the persistence one.
struct IPoint : IUnknown {
  virtual int X() = 0;
  virtual int Y() = 0;
  virtual void Set(int x, int y) = 0;
};

}  // namespace

KELTO_INTERFACE_IID(IPoint, IUnknown, "0A1B2C3D-4E5F-6172-8394-A5B6C7D8E9AA");

namespace {

// Persists its two coordinates as 8 bytes.
class CPoint final : public kelto::com::Object<CPoint, IPoint, IPersistStream> {
 public:
  int X() override { return x_; }
  int Y() override { return y_; }
  void Set(int x, int y) override { x_ = x, y_ = y; }

  HRESULT GetClassID(CLSID* id) override {
    *id = kPointClass;
    return S_OK;
  }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream* s) override {
    int xy[2] = {};
    const HRESULT hr = kelto::com::ReadExact(s, xy, sizeof xy);
    if (SUCCEEDED(hr)) Set(xy[0], xy[1]);
    return hr;
  }
  HRESULT Save(IStream* s, BOOL) override {
    const int xy[2] = {x_, y_};
    return kelto::com::WriteExact(s, xy, sizeof xy);
  }
  HRESULT GetSizeMax(ULARGE_INTEGER* size) override {
    size->QuadPart = 8;
    return S_OK;
  }

 private:
  int x_ = 0;
  int y_ = 0;
};

// A class without any persistence interface.
class CPlain final : public kelto::com::Object<CPlain, IPoint> {
 public:
  int X() override { return 0; }
  int Y() override { return 0; }
  void Set(int, int) override {}
};

constexpr kelto::com::ClassEntry kPointEntry{kPointClass, "", "", "",
                                             &kelto::com::CreateInstanceOf<CPoint>};
constexpr kelto::com::ClassEntry kPlainEntry{kPlainClass, "", "", "",
                                             &kelto::com::CreateInstanceOf<CPlain>};

class PersistTest : public ::testing::Test {
 protected:
  // Unknown classes are looked up in the settings store: keep it private.
  kelto::test::ScopedConfigHome config_;
  kelto::test::ClassRegistration<kelto::com::NoModuleLock> classes_{&kPointEntry, &kPlainEntry};
};

}  // namespace

// Stored option streams carry class ids in this byte order.
TEST(ClassStm, WritesTheFieldsLittleEndian) {
  auto s = MakeMemoryStream(Bytes{});
  ASSERT_EQ(WriteClassStm(s.Get(), kPointClass), S_OK);
  EXPECT_EQ(MemoryStreamBytes(s.Get()), (Bytes{0x3D, 0x2C, 0x1B, 0x0A, 0x5F, 0x4E, 0x72, 0x61, 0x83,
                                               0x94, 0xA5, 0xB6, 0xC7, 0xD8, 0xE9, 0xF0}));
}

TEST(ClassStm, ShortTransfersFail) {
  CLSID read = kPointClass;
  EXPECT_EQ(ReadClassStm(MakeMemoryStream(Bytes(15, 1)).Get(), &read), STG_E_READFAULT);
  EXPECT_EQ(read, kPointClass);  // untouched
  auto full = MakeObject<kelto::test::FailingStream>(MakeMemoryStream(Bytes{}), 0, 10);
  EXPECT_EQ(WriteClassStm(full.Get(), kPointClass), STG_E_WRITEFAULT);
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
      {"truncated object data", tagged(kPointClass, {1, 0, 0, 0}), IidOf<IUnknown>(),
       STG_E_READFAULT},
      {"class without persistence", tagged(kPlainClass, {}), IidOf<IUnknown>(), E_NOINTERFACE},
      {"interface the object lacks", tagged(kPointClass, Bytes(8, 0)), IidOf<IStorage>(),
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
  auto point = MakeObject<CPoint>();
  auto full = MakeObject<kelto::test::FailingStream>(
      MakeMemoryStream(Bytes{}), 0, 20, kelto::test::FailingStream::Mode::kError, STG_E_MEDIUMFULL);
  EXPECT_EQ(OleSaveToStream(point.Get(), full.Get()), STG_E_MEDIUMFULL);
}
