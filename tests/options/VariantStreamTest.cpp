// The binary VARIANT layout: exact bytes, round trips of every supported
// type, objects through their own persistence, and the failure paths —
// unsupported types, short streams, and corrupted counts that must fail
// without reserving memory for them.
#include "options/VariantStream.h"

#include <gtest/gtest.h>

#include <cstring>

#include "options/Options.h"
#include "platform/com/Object.h"
#include "platform/com/Stream.h"
#include "support/ClassRegistration.h"
#include "support/FailingStream.h"
#include "support/PersistableFakes.h"

using kelto::com::ComPtr;
using kelto::com::MakeMemoryStream;
using kelto::com::MakeObject;
using kelto::com::MemoryStreamBytes;
using kelto::options::ReadVariant;
using kelto::options::WriteVariant;
using Bytes = std::vector<BYTE>;

namespace {

Bytes Saved(const VARIANT& v) {
  auto stream = MakeMemoryStream();
  EXPECT_EQ(WriteVariant(stream.Get(), v), S_OK);
  return MemoryStreamBytes(stream.Get());
}

HRESULT Load(const Bytes& bytes, _variant_t* out) {
  return ReadVariant(MakeMemoryStream(bytes).Get(), out->GetAddress());
}

// Little helpers to write corrupted streams by hand.
void Put16(Bytes& b, std::uint16_t v) {
  b.push_back(static_cast<BYTE>(v));
  b.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}

_variant_t Vector(VARTYPE vt, std::vector<_variant_t> values) {
  SAFEARRAY* psa = SafeArrayCreateVector(vt, 0, static_cast<ULONG>(values.size()));
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    if (vt == VT_VARIANT) {
      EXPECT_EQ(SafeArrayPutElement(psa, &i, &values[i]), S_OK);
      continue;
    }
    _variant_t converted;
    converted.ChangeType(vt, &values[i]);
    void* slot = vt == VT_BSTR ? static_cast<void*>(converted.bstrVal)
                               : static_cast<void*>(&converted.llVal);
    EXPECT_EQ(SafeArrayPutElement(psa, &i, slot), S_OK);
  }
  return _variant_t::AdoptArray(psa, vt);
}

}  // namespace

TEST(VariantStream, OneOptionContentsHaveTheDocumentedBytes) {
  int edges = 16;
  COptions options;
  options.AddOption("Edges", &edges);
  const Bytes expected = {0x0C, 0x20, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                          0x08, 0x00, 0x0A, 0x00, 0x00, 0x00, 'E',  0,    'd',  0,    'g',  0,
                          'e',  0,    's',  0,    0x03, 0x00, 0x10, 0x00, 0x00, 0x00};
  EXPECT_EQ(Saved(options.GetContents()), expected);
}

struct ScalarCase {
  const char* label;
  _variant_t value;
  Bytes data;  // what follows the 2-byte VARTYPE
};

TEST(VariantStream, ScalarsWriteTheirDataAndReadBackEqual) {
  CY cy{};
  cy.int64 = 12345;
  const ScalarCase cases[] = {
      {"empty", _variant_t(), {}},
      {"i2", _variant_t(static_cast<short>(-2)), {0xFE, 0xFF}},
      {"bool", _variant_t(true), {0xFF, 0xFF}},
      {"i4", _variant_t(0x01020304), {4, 3, 2, 1}},
      {"r4", _variant_t(1.0f), {0x00, 0x00, 0x80, 0x3F}},
      {"r8", _variant_t(-2.0), {0, 0, 0, 0, 0, 0, 0, 0xC0}},
      {"cy", _variant_t::Currency(cy), {0x39, 0x30, 0, 0, 0, 0, 0, 0}},
      {"ui1", _variant_t(static_cast<unsigned char>(200)), {200}},
      {"bstr", _variant_t(u"\u00e9x"), {4, 0, 0, 0, 0xE9, 0x00, 'x', 0}},
      {"bstr with a null",
       _variant_t(std::u16string_view(u"a\0b", 3)),
       {6, 0, 0, 0, 'a', 0, 0, 0, 'b', 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Bytes expected = {static_cast<BYTE>(c.value.vt), 0};
    expected.insert(expected.end(), c.data.begin(), c.data.end());
    const Bytes bytes = Saved(c.value);
    EXPECT_EQ(bytes, expected);
    _variant_t back;
    ASSERT_EQ(Load(bytes, &back), S_OK);
    EXPECT_TRUE(back == c.value);
  }
}

TEST(VariantStream, ArraysKeepDescriptorOrderBoundsAndStorageOrder) {
  // Two dimensions, leftmost [1..2] and rightmost [-1..1]: the descriptor
  // lists the rightmost first.
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, -1}};
  SAFEARRAY* psa = SafeArrayCreate(VT_I2, 2, bounds);
  for (LONG i = 1; i <= 2; ++i) {
    for (LONG j = -1; j <= 1; ++j) {
      LONG at[2] = {i, j};
      SHORT value = static_cast<SHORT>(10 * i + j);
      ASSERT_EQ(SafeArrayPutElement(psa, at, &value), S_OK);
    }
  }
  _variant_t array = _variant_t::AdoptArray(psa, VT_I2);
  Bytes expected = {0x02, 0x20, 0x02, 0x00};
  Put32(expected, static_cast<std::uint32_t>(-1));
  Put32(expected, 3);
  Put32(expected, 1);
  Put32(expected, 2);
  // Storage order: the leftmost index varies fastest.
  for (SHORT v : {9, 19, 10, 20, 11, 21}) Put16(expected, static_cast<std::uint16_t>(v));
  const Bytes bytes = Saved(array);
  EXPECT_EQ(bytes, expected);

  _variant_t back;
  ASSERT_EQ(Load(bytes, &back), S_OK);
  EXPECT_EQ(Saved(back), bytes);
}

TEST(VariantStream, UnsupportedTypesFailTheWholeSave) {
  EXPECT_EQ(WriteVariant(MakeMemoryStream().Get(), _variant_t(5LL)), DISP_E_BADVARTYPE);
  // One bad element deep inside fails the save too.
  _variant_t nested = Vector(VT_VARIANT, {_variant_t("ok"), _variant_t(7LL)});
  EXPECT_EQ(WriteVariant(MakeMemoryStream().Get(), nested), DISP_E_BADVARTYPE);
  // A VARTYPE that lies about its array's element type is refused.
  _variant_t lying = _variant_t::AdoptArray(SafeArrayCreateVector(VT_I2, 0, 4), VT_I2);
  lying.vt = VT_ARRAY | VT_VARIANT;
  EXPECT_EQ(WriteVariant(MakeMemoryStream().Get(), lying), DISP_E_TYPEMISMATCH);
}

// Objects travel through their own persistence, as new objects.
TEST(VariantStream, NestedArraysStringsAndObjectsRoundTrip) {
  kelto::test::ClassRegistration<kelto::com::NoModuleLock> classes{&kelto::test::kPersistableEntry};
  auto point = MakeObject<kelto::test::CPersistable>();
  point->value = 77;
  _variant_t strings = Vector(VT_BSTR, {_variant_t("one"), _variant_t("")});
  _variant_t inner = Vector(VT_VARIANT, {_variant_t(1.5f), strings, _variant_t()});
  _variant_t cells = Vector(VT_VARIANT, {_variant_t(static_cast<IUnknown*>(point.Get())),
                                         _variant_t(static_cast<IUnknown*>(nullptr)), inner});
  const Bytes bytes = Saved(cells);
  _variant_t back;
  ASSERT_EQ(Load(bytes, &back), S_OK);
  // Written again, the copy gives the same bytes: nothing lost or reordered.
  EXPECT_EQ(Saved(back), bytes);
  const auto* loaded = static_cast<const VARIANT*>(back.parray->pvData);
  ASSERT_EQ(loaded[0].vt, VT_UNKNOWN);
  EXPECT_NE(loaded[0].punkVal, static_cast<IUnknown*>(point.Get()));

  // An object that cannot save itself fails the save.
  auto plain = MakeObject<kelto::test::CPersistOnly>();
  EXPECT_EQ(WriteVariant(MakeMemoryStream().Get(), _variant_t(static_cast<IUnknown*>(plain.Get()))),
            E_NOINTERFACE);
}

TEST(VariantStream, EveryTruncationFailsAndLeavesNothingBehind) {
  int edges = 16;
  bool flag = true;
  COptions options;
  options.AddOption("Edges", &edges);
  options.AddOption("Flag", &flag);
  const Bytes full = Saved(options.GetContents());
  for (std::size_t n = 0; n < full.size(); ++n) {
    SCOPED_TRACE(n);
    _variant_t back;
    EXPECT_EQ(Load(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n)), &back),
              STG_E_READFAULT);
    EXPECT_EQ(back.vt, VT_EMPTY);
  }
  // A stream that hands its data out a byte at a time is not truncated.
  auto trickle = MakeObject<kelto::test::FailingStream>(MakeMemoryStream(full), ~0u, ~0u,
                                                        kelto::test::FailingStream::Mode::kShort,
                                                        STG_E_MEDIUMFULL, 1u);
  _variant_t back;
  EXPECT_EQ(ReadVariant(trickle.Get(), back.GetAddress()), S_OK);
  EXPECT_EQ(Saved(back), full);
}

TEST(VariantStream, ShortOrFailingWritesFailTheSave) {
  int edges = 16;
  COptions options;
  options.AddOption("Edges", &edges);
  const _variant_t contents = options.GetContents();
  const ULONG size = static_cast<ULONG>(Saved(contents).size());
  for (ULONG budget = 0; budget < size; ++budget) {
    SCOPED_TRACE(budget);
    auto quiet = MakeObject<kelto::test::FailingStream>(MakeMemoryStream(), 0, budget);
    EXPECT_EQ(WriteVariant(quiet.Get(), contents), STG_E_WRITEFAULT);
    auto loud = MakeObject<kelto::test::FailingStream>(
        MakeMemoryStream(), 0, budget, kelto::test::FailingStream::Mode::kError, STG_E_MEDIUMFULL);
    EXPECT_EQ(WriteVariant(loud.Get(), contents), STG_E_MEDIUMFULL);
  }
}

TEST(VariantStream, CorruptedHeadersFailCleanly) {
  struct Case {
    const char* label;
    Bytes bytes;
    HRESULT expected;
  };
  auto arrayHeader = [](VARTYPE vt, std::vector<std::pair<std::int32_t, std::uint32_t>> dims) {
    Bytes b;
    Put16(b, vt);
    Put16(b, static_cast<std::uint16_t>(dims.size()));
    for (auto [lower, count] : dims) {
      Put32(b, static_cast<std::uint32_t>(lower));
      Put32(b, count);
    }
    return b;
  };
  Bytes plausibleString = {0x08, 0x00, 0x00, 0x00, 0x00, 0x02};  // 32 MiB, but the stream ends
  plausibleString.insert(plausibleString.end(), 10, 'x');
  auto nested = [&](int levels) {
    Bytes b;
    for (int i = 0; i < levels; ++i) {
      Bytes level = arrayHeader(VT_ARRAY | VT_VARIANT, {{0, 1}});
      b.insert(b.end(), level.begin(), level.end());
    }
    Put16(b, VT_EMPTY);
    return b;
  };

  const Case cases[] = {
      {"unknown VARTYPE", {0x24, 0x00}, STG_E_DOCFILECORRUPT},
      {"by-reference flag", {0x03, 0x40, 1, 0, 0, 0}, STG_E_DOCFILECORRUPT},
      {"array of VT_EMPTY", arrayHeader(VT_ARRAY | VT_EMPTY, {{0, 1}}), STG_E_DOCFILECORRUPT},
      {"65535 dimensions", {0x03, 0x20, 0xFF, 0xFF}, STG_E_DOCFILECORRUPT},
      {"4 billion elements", arrayHeader(VT_ARRAY | VT_VARIANT, {{0, 0xFFFFFFFFu}}),
       STG_E_DOCFILECORRUPT},
      {"element product overflows the limit",
       arrayHeader(VT_ARRAY | VT_UI1, {{0, 0x10000}, {0, 0x10000}}), STG_E_DOCFILECORRUPT},
      {"upper bound beyond 32 bits", arrayHeader(VT_ARRAY | VT_I4, {{0x7FFFFFFF, 2}}),
       STG_E_DOCFILECORRUPT},
      {"plausible count, short stream", arrayHeader(VT_ARRAY | VT_VARIANT, {{0, 1u << 24}}),
       STG_E_READFAULT},
      {"string of 4 GiB", {0x08, 0x00, 0xF0, 0xFF, 0xFF, 0xFF}, STG_E_DOCFILECORRUPT},
      {"string of 32 MiB, short stream", plausibleString, STG_E_READFAULT},
      {"nesting too deep", nested(kelto::options::kMaxDepth + 1), STG_E_DOCFILECORRUPT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    _variant_t back;
    EXPECT_EQ(Load(c.bytes, &back), c.expected);
    EXPECT_EQ(back.vt, VT_EMPTY);
  }
  // At the depth limit a stream still loads, and saves back byte for byte.
  _variant_t back;
  const Bytes deepest = nested(kelto::options::kMaxDepth);
  ASSERT_EQ(Load(deepest, &back), S_OK);
  EXPECT_EQ(Saved(back), deepest);
  // Empty arrays are fine, whatever the other dimensions say.
  EXPECT_EQ(Load(arrayHeader(VT_ARRAY | VT_I4, {{5, 0}, {0, 1000}}), &back), S_OK);
  EXPECT_EQ(back.vt, VT_ARRAY | VT_I4);
}
