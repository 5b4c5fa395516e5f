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

ComPtr<IStorage> NewStorage() {
  ComPtr<IStorage> stg;
  EXPECT_EQ(StgCreateMemoryStorage(stg.Put()), S_OK);
  return stg;
}

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

struct Listed {
  std::u16string name;
  DWORD type;
  std::uint64_t size;
  bool operator==(const Listed&) const = default;
};

std::vector<Listed> List(IStorage* stg) {
  ComPtr<IEnumSTATSTG> e;
  EXPECT_EQ(stg->EnumElements(0, nullptr, 0, e.Put()), S_OK);
  std::vector<Listed> out;
  STATSTG st{};
  while (e->Next(1, &st, nullptr) == S_OK) {
    out.push_back({st.pwcsName, st.type, st.cbSize.QuadPart});
    CoTaskMemFree(st.pwcsName);
  }
  return out;
}

}  // namespace

TEST(MemoryStorage, CreateReplacesOnlyWithTheCreateFlag) {
  auto stg = NewStorage();
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
  // The element takes the spelling of its latest creation.
  EXPECT_EQ(List(stg.Get()), (std::vector<Listed>{{u"CONTENTS", STGTY_STREAM, 0}}));
  // STGM_CREATE replaces a storage of that name with a stream, too.
  ComPtr<IStorage> sub;
  ASSERT_EQ(stg->CreateStorage(u"Sub", kNew, 0, 0, sub.Put()), S_OK);
  ASSERT_EQ(stg->CreateStream(u"Sub", kCreate, 0, 0, s.Put()), S_OK);
  EXPECT_EQ(stg->OpenStorage(u"Sub", nullptr, kRead, nullptr, 0, sub.Put()), STG_E_FILENOTFOUND);
}

TEST(MemoryStorage, NamesCompareWithoutCaseAndAreChecked) {
  auto stg = NewStorage();
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
    ComPtr<IStream> s;
    EXPECT_EQ(stg->CreateStream(c.name, kCreate, 0, 0, s.Put()), c.hr);
    EXPECT_EQ(stg->DestroyElement(c.name), c.hr);
  }
}

TEST(MemoryStorage, OpensOnlyElementsOfTheirKindAndNestedOnesBelowTheirStorage) {
  auto stg = NewStorage();
  Put(stg.Get(), u"Stream", {1});
  ComPtr<IStorage> sub;
  ASSERT_EQ(stg->CreateStorage(u"Storage", kNew, 0, 0, sub.Put()), S_OK);
  Put(sub.Get(), u"Inner", {4, 5});
  ComPtr<IStream> s;
  EXPECT_EQ(stg->OpenStream(u"Storage", nullptr, kRead, 0, s.Put()), STG_E_FILENOTFOUND);
  EXPECT_EQ(stg->OpenStorage(u"Stream", nullptr, kRead, nullptr, 0, sub.Put()), STG_E_FILENOTFOUND);

  // A nested storage holds its own elements and knows its name.
  ASSERT_EQ(stg->OpenStorage(u"storage", nullptr, kRead, nullptr, 0, sub.Put()), S_OK);
  EXPECT_EQ(Get(sub.Get(), u"Inner"), (Bytes{4, 5}));
  EXPECT_EQ(stg->OpenStream(u"Inner", nullptr, kRead, 0, s.Put()), STG_E_FILENOTFOUND);
}
