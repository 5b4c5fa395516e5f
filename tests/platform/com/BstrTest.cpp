// BSTR allocation (length prefix, embedded nulls, byte lengths), the UTF-8 /
// UTF-16 conversions and the _bstr_t wrapper.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::Utf16ToUtf8;
using kelto::com::Utf8ToUtf16;

std::uint32_t Prefix(BSTR b) {
  std::uint32_t n = 0;
  std::memcpy(&n, reinterpret_cast<const char*>(b) - 4, 4);
  return n;
}

TEST(Bstr, CarriesItsByteLengthInFrontAndAnExtraNull) {
  BSTR b = SysAllocString(u"Test");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(Prefix(b), 8u);
  EXPECT_EQ(SysStringLen(b), 4u);
  EXPECT_EQ(b[4], u'\0');
  SysFreeString(b);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  BSTR empty = SysAllocStringLen(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty[0], u'\0');
  SysFreeString(empty);
}

TEST(Bstr, KeepsEmbeddedNullsAndOddByteLengths) {
  const char16_t text[] = {u'a', u'\0', u'b'};
  BSTR b = SysAllocStringLen(text, 3);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(kelto::com::BstrView(b), std::u16string_view(text, 3));
  EXPECT_EQ(kelto::com::BstrToUtf8(b), std::string("a\0b", 3));
  SysFreeString(b);

  b = SysAllocStringByteLen("Test", 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringByteLen(b), 3u);
  EXPECT_EQ(SysStringLen(b), 1u);  // whole characters only
  EXPECT_STREQ(reinterpret_cast<const char*>(b), "Tes");
  SysFreeString(b);
  EXPECT_EQ(SysAllocStringByteLen("x", 0xFFFFFFFFu), nullptr);
}

TEST(Strings, Utf8AndUtf16ConvertAndInvalidInputIsReplaced) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"DN 50 \xc3\x98", u"DN 50 \u00D8"},
      {"\xf0\x9f\x94\xa7", u"\U0001F527"},                // a surrogate pair
      {"a\xff" "b", u"a\uFFFDb"},                         // impossible byte
      {"\xc3", u"\uFFFD"},                                // truncated sequence
      {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Utf8ToUtf16(in), out) << in;
  EXPECT_EQ(Utf16ToUtf8(u"DN 50 \u00D8\U0001F527"), "DN 50 \xc3\x98\xf0\x9f\x94\xa7");
  // A lone surrogate in UTF-16 becomes U+FFFD in UTF-8.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'x'}), "\xef\xbf\xbdx");
}

TEST(BstrWrapper, NullAndEmptyAreEqualAndNullVariantsAreRefused) {
  EXPECT_TRUE(_bstr_t() == _bstr_t(""));
  EXPECT_EQ(_bstr_t(_variant_t(2.5)).str(), "2.5");
  EXPECT_THROW(_bstr_t(_variant_t::Null()), _com_error);
}

}  // namespace
