#include "platform/com/Storage.h"

#include <gtest/gtest.h>

#include "platform/com/Api.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Stream.h"

using kelto::com::ComPtr;
using kelto::com::MemoryStreamBytes;

namespace {

using Bytes = std::vector<BYTE>;
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
