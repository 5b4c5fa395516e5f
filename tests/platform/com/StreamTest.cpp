#include "platform/com/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "support/FailingStream.h"
#include "support/TempDir.h"

using kelto::com::ComPtr;
using kelto::com::MakeMemoryStream;
using kelto::com::MemoryStreamBytes;
using kelto::test::FailingStream;

namespace {

using Bytes = std::vector<BYTE>;

ComPtr<IStream> NewMemoryStream() {
  ComPtr<IStream> s;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.Put()), S_OK);
  return s;
}

std::uint64_t Position(IStream* s) {
  ULARGE_INTEGER pos{};
  EXPECT_EQ(s->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &pos), S_OK);
  return pos.QuadPart;
}

std::uint64_t StatSize(IStream* s) {
  STATSTG st{};
  EXPECT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
  return st.cbSize.QuadPart;
}

std::u16string StatName(IStream* s) {
  STATSTG st{};
  EXPECT_EQ(s->Stat(&st, STATFLAG_DEFAULT), S_OK);
  std::u16string name = st.pwcsName ? std::u16string(st.pwcsName) : u"<none>";
  CoTaskMemFree(st.pwcsName);
  return name;
}

void WriteAll(IStream* s, const Bytes& bytes) {
  ULONG written = 0;
  ASSERT_EQ(s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
  ASSERT_EQ(written, bytes.size());
}

}  // namespace

TEST(MemoryStream, ReadsShortAtTheEndAndWritesOrResizesPastIt) {
  auto s = NewMemoryStream();
  WriteAll(s.Get(), {1, 2, 3, 4, 5});
  ASSERT_EQ(s->Seek(LARGE_INTEGER{3}, STREAM_SEEK_SET, nullptr), S_OK);
  BYTE buf[8] = {};
  ULONG got = 99;
  EXPECT_EQ(s->Read(buf, sizeof buf, &got), S_OK);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(buf[1], 5);

  // SetSize truncates and extends without moving the position.
  EXPECT_EQ(s->SetSize(ULARGE_INTEGER{2}), S_OK);
  EXPECT_EQ(s->SetSize(ULARGE_INTEGER{3}), S_OK);
  EXPECT_EQ(MemoryStreamBytes(s.Get()), (Bytes{1, 2, 0}));
  // A write past the end fills the gap with zeros.
  WriteAll(s.Get(), {9, 9});
  EXPECT_EQ(MemoryStreamBytes(s.Get()), (Bytes{1, 2, 0, 0, 0, 9, 9}));
  EXPECT_EQ(Position(s.Get()), 7u);
}

TEST(MemoryStream, SeekFromEveryOriginAndRefusesNegativePositions) {
  struct Case {
    std::int64_t move;
    DWORD origin;
    HRESULT hr;
    std::uint64_t pos;  // position afterwards (unchanged on failure)
  };
  // The stream holds 10 bytes and stands at 4 before each case.
  const Case cases[] = {
      {25, STREAM_SEEK_SET, S_OK, 25},
      {-5, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 4},
      {-11, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 4},
      {0, 3, STG_E_INVALIDFUNCTION, 4},
  };
  for (const Case& c : cases) {
    auto s = MakeMemoryStream(Bytes(10, 0xAA));
    ASSERT_EQ(s->Seek(LARGE_INTEGER{4}, STREAM_SEEK_SET, nullptr), S_OK);
    ULARGE_INTEGER out{12345};
    EXPECT_EQ(s->Seek(LARGE_INTEGER{c.move}, c.origin, &out), c.hr)
        << c.move << " from " << c.origin;
    EXPECT_EQ(Position(s.Get()), c.pos) << c.move << " from " << c.origin;
    if (c.hr == S_OK) {
      EXPECT_EQ(out.QuadPart, c.pos);
    }
  }
}

TEST(MemoryStream, StatReportsSizeTypeAndNameAndHGlobalStreamsStartEmpty) {
  STATSTG st{};
  // A named stream (as storages make them) gives its name unless asked not to.
  auto named = MakeMemoryStream(nullptr, u"Contents");
  EXPECT_EQ(StatName(named.Get()), u"Contents");
  ASSERT_EQ(named->Stat(&st, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(st.pwcsName, nullptr);

  // CreateStreamOnHGlobal makes empty streams only, and needs somewhere to put them.
  ComPtr<IStream> s2;
  int memory = 0;
  EXPECT_EQ(CreateStreamOnHGlobal(&memory, TRUE, s2.Put()), E_INVALIDARG);
  EXPECT_EQ(StatSize(NewMemoryStream().Get()), 0u);
}

TEST(MemoryStream, ReadOnlyAndWriteOnlyAccessIsEnforced) {
  auto buffer = std::make_shared<Bytes>(Bytes{1, 2});
  auto ro = MakeMemoryStream(buffer, {}, kelto::com::StreamAccess::FromMode(STGM_READ));
  BYTE b = 5;
  EXPECT_EQ(ro->Write(&b, 1, nullptr), STG_E_ACCESSDENIED);
  EXPECT_EQ(ro->SetSize(ULARGE_INTEGER{0}), STG_E_ACCESSDENIED);
  auto wo = MakeMemoryStream(buffer, {}, kelto::com::StreamAccess::FromMode(STGM_WRITE));
  EXPECT_EQ(wo->Read(&b, 1, nullptr), STG_E_ACCESSDENIED);
  EXPECT_EQ(*buffer, (Bytes{1, 2}));
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

TEST_F(FileStreamTest, WritesAndReadsBackThroughTheFile) {
  const auto path = PathOf("data.bin");
  ComPtr<IStream> w;
  ASSERT_EQ(Open(path, STGM_WRITE | STGM_CREATE, FALSE, &w), S_OK);
  WriteAll(w.Get(), {1, 2, 3, 4});
  EXPECT_EQ(w->Commit(0), S_OK);
  BYTE b = 0;
  EXPECT_EQ(w->Read(&b, 1, nullptr), STG_E_ACCESSDENIED);
  w.Reset();

  ComPtr<IStream> r;
  ASSERT_EQ(Open(path, STGM_READ, FALSE, &r), S_OK);
  EXPECT_EQ(StatName(r.Get()), path);
  EXPECT_EQ(r->Write(&b, 1, nullptr), STG_E_ACCESSDENIED);
  ASSERT_EQ(r->Seek(LARGE_INTEGER{1}, STREAM_SEEK_SET, nullptr), S_OK);
  // Reading the whole file keeps the stream where it was.
  EXPECT_EQ(MemoryStreamBytes(r.Get()), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Position(r.Get()), 1u);
}

TEST_F(FileStreamTest, CreationFollowsTheModeAndTheCreateFlag) {
  std::ofstream(dir_.path() / "existing.bin") << "old contents";
  struct Case {
    const char* file;
    DWORD mode;
    BOOL create;
    HRESULT hr;
    std::uint64_t size;  // afterwards, when it succeeds
  };
  const Case cases[] = {
      {"existing.bin", STGM_READ, FALSE, S_OK, 12},
      {"missing.bin", STGM_READ, FALSE, kelto::com::kFileNotFound, 0},
      {"existing.bin", STGM_READWRITE, TRUE, kelto::com::kFileExists, 0},
      {"new1.bin", STGM_READWRITE, TRUE, S_OK, 0},
      {"existing.bin", STGM_WRITE | STGM_CREATE, FALSE, S_OK, 0},  // recreated
      {"no/such/folder.bin", STGM_READ, FALSE, kelto::com::kFileNotFound, 0},
      {"x.bin", STGM_READ | STGM_CREATE, TRUE, STG_E_INVALIDFLAG, 0},
      {".", STGM_READ, FALSE, E_ACCESSDENIED, 0},
  };
  for (const Case& c : cases) {
    ComPtr<IStream> s;
    EXPECT_EQ(Open(PathOf(c.file), c.mode, c.create, &s), c.hr) << c.file << " " << c.mode;
    EXPECT_EQ(s.Get() != nullptr, c.hr == S_OK) << c.file;
    if (s) {
      EXPECT_EQ(StatSize(s.Get()), c.size) << c.file;
    }
  }
}
