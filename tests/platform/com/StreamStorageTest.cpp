// Memory and file streams, storages of named streams, and objects saved to
// and loaded from streams.
#include "platform/com/Stream.h"

#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Object.h"
#include "platform/com/Storage.h"
#include "platform/com/Strings.h"
#include "support/ClassRegistration.h"
#include "support/FailingStream.h"
#include "support/PersistableFakes.h"
#include "support/TempDir.h"

using kelto::com::ComPtr;
using kelto::com::MakeMemoryStream;
using kelto::com::MemoryStreamBytes;

namespace {

using Bytes = std::vector<BYTE>;

void WriteAll(IStream* s, const Bytes& bytes) {
  ULONG written = 0;
  ASSERT_EQ(s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
  ASSERT_EQ(written, bytes.size());
}

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kNew = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

void Put(IStorage* stg, const char16_t* name, const Bytes& bytes) {
  ComPtr<IStream> s;
  ASSERT_EQ(stg->CreateStream(name, kCreate, 0, 0, s.Put()), S_OK);
  ASSERT_EQ(kelto::com::WriteExact(s.Get(), bytes.data(), static_cast<ULONG>(bytes.size())), S_OK);
}

Bytes Get(IStorage* stg, const char16_t* name) {
  ComPtr<IStream> s;
  EXPECT_EQ(stg->OpenStream(name, nullptr, kRead, 0, s.Put()), S_OK);
  return s ? MemoryStreamBytes(s.Get()) : Bytes{};
}

}  // namespace

TEST(MemoryStream, ReportsItsPositionAndReadsShortAtTheEnd) {
  ComPtr<IStream> s;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.Put()), S_OK);
  WriteAll(s.Get(), {1, 2, 3, 4, 5});
  ULARGE_INTEGER pos{};  // how the options measure what they wrote
  ASSERT_EQ(s->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &pos), S_OK);
  EXPECT_EQ(pos.QuadPart, 5u);
  ASSERT_EQ(s->Seek(LARGE_INTEGER{3}, STREAM_SEEK_SET, nullptr), S_OK);
  BYTE buf[8] = {};
  ULONG got = 99;
  EXPECT_EQ(s->Read(buf, sizeof buf, &got), S_OK);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(buf[1], 5);
}

class FileStreamTest : public ::testing::Test {
 protected:
  std::u16string PathOf(const char* name) const {
    return kelto::com::Utf8ToUtf16((dir_.path() / name).string());
  }
  static HRESULT Open(const std::u16string& path, DWORD mode, BOOL create, ComPtr<IStream>* out) {
    return SHCreateStreamOnFileEx(path.c_str(), mode, 0, create, nullptr, out->Put());
  }
  kelto::test::TempDir dir_;
};

TEST_F(FileStreamTest, CreationFollowsTheModeAndTheCreateFlag) {
  const auto existing = PathOf("existing.bin");
  ComPtr<IStream> w;
  ASSERT_EQ(Open(existing, STGM_WRITE | STGM_CREATE, FALSE, &w), S_OK);
  WriteAll(w.Get(), {1, 2, 3, 4});
  EXPECT_EQ(w->Commit(0), S_OK);
  w.Reset();
  struct Case {
    const char* file;
    DWORD mode;
    BOOL create;
    HRESULT hr;
    Bytes contents;  // afterwards, when it succeeds
  };
  const Case cases[] = {
      {"existing.bin", STGM_READ, FALSE, S_OK, {1, 2, 3, 4}},
      {"missing.bin", STGM_READ, FALSE, kelto::com::kFileNotFound, {}},
      {"existing.bin", STGM_READWRITE, TRUE, kelto::com::kFileExists, {}},
      {"existing.bin", STGM_READWRITE | STGM_CREATE, FALSE, S_OK, {}},  // recreated
      {"x.bin", STGM_READ | STGM_CREATE, TRUE, STG_E_INVALIDFLAG, {}},
      {".", STGM_READ, FALSE, E_ACCESSDENIED, {}},
  };
  for (const Case& c : cases) {
    ComPtr<IStream> s;
    EXPECT_EQ(Open(PathOf(c.file), c.mode, c.create, &s), c.hr) << c.file << " " << c.mode;
    EXPECT_EQ(s.Get() != nullptr, c.hr == S_OK) << c.file;
    if (s) {
      EXPECT_EQ(MemoryStreamBytes(s.Get()), c.contents) << c.file;
    }
  }
}

TEST(MemoryStorage, CreateReplacesOnlyWithTheCreateFlagAndNamesAreChecked) {
  ComPtr<IStorage> stg;
  ASSERT_EQ(StgCreateMemoryStorage(stg.Put()), S_OK);
  Put(stg.Get(), u"Contents", {1, 2, 3});
  ComPtr<IStream> s;
  EXPECT_EQ(stg->CreateStream(u"contents", kNew, 0, 0, s.Put()), STG_E_FILEALREADYEXISTS);
  EXPECT_EQ(s.Get(), nullptr);
  EXPECT_EQ(Get(stg.Get(), u"Contents"), (Bytes{1, 2, 3}));
  // A stream opened for reading cannot change the element.
  ASSERT_EQ(stg->OpenStream(u"Contents", nullptr, kRead, 0, s.Put()), S_OK);
  BYTE b = 0;
  EXPECT_EQ(s->Write(&b, 1, nullptr), STG_E_ACCESSDENIED);
  ASSERT_EQ(stg->CreateStream(u"CONTENTS", kCreate, 0, 0, s.Put()), S_OK);
  EXPECT_EQ(Get(stg.Get(), u"Contents"), Bytes{});

  Put(stg.Get(), u"Caf\u00E9", {7});
  EXPECT_EQ(Get(stg.Get(), u"CAF\u00C9"), Bytes{7});

  struct Case {
    const char16_t* name;
    HRESULT hr;
  };
  const Case cases[] = {
      {u"", kelto::com::kStgInvalidName},
      {u"a!b", kelto::com::kStgInvalidName},
      {u"0123456789012345678901234567890", S_OK},  // 31 characters
      {u"01234567890123456789012345678901", kelto::com::kStgInvalidName},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(stg->CreateStream(c.name, kCreate, 0, 0, s.Put()), c.hr);
  }
}

// --- objects saved to and loaded from streams ----------------------------------

using kelto::com::IidOf;
using kelto::com::MakeObject;

namespace {

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
