// VariantChangeType against the platform's conversion rules: table-driven
// cases per rule family, then the behaviours a table cannot show (in-place
// conversion, untouched destination on failure, objects and references).
#include <gtest/gtest.h>

#include <cmath>

#include "ComFakes.h"
#include "platform/com/Api.h"
#include "platform/com/Variant.h"

namespace {

using kelto::com::test::FakeDispatch;
using kelto::com::test::Ref;

struct Case {
  const char* name;
  _variant_t src;
  VARTYPE vt;
  HRESULT hr;
  _variant_t expected;  // compared only when hr is S_OK
  USHORT flags = 0;
};

_variant_t Cy(std::int64_t scaled) {
  CY cy;
  cy.int64 = scaled;
  return _variant_t::Currency(cy);
}
_variant_t Date(double d) { return _variant_t(d, VT_DATE); }
_variant_t Empty() { return _variant_t(); }

std::string Show(const VARIANT& v) {
  _variant_t copy(v);
  std::string text = "vt=" + std::to_string(v.vt);
  if (SUCCEEDED(VariantChangeType(&copy, &copy, VARIANT_ALPHABOOL, VT_BSTR)))
    text += " \"" + kelto::com::BstrToUtf8(copy.bstrVal) + "\"";
  return text;
}

void RunTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    _variant_t out;
    const HRESULT hr = VariantChangeType(&out, &c.src, c.flags, c.vt);
    EXPECT_EQ(hr, c.hr) << std::hex << hr;
    if (hr == S_OK && c.hr == S_OK) {
      EXPECT_TRUE(out == c.expected) << "got " << Show(out) << ", want " << Show(c.expected);
    }
    if (c.hr != S_OK) {
      EXPECT_EQ(out.vt, VT_EMPTY);
    }
  }
}

// One table: a row per conversion rule, grouped by rule family.
TEST(VariantChangeType, ConversionTable) {
  const _variant_t nullText(static_cast<const char16_t*>(nullptr));
  const _variant_t array = _variant_t::AdoptArray(SafeArrayCreateVector(VT_I4, 0, 1), VT_I4);
  RunTable({
      // Integer targets overflow exactly at their edges.
      {"I4 32768 -> I2", 32768, VT_I2, DISP_E_OVERFLOW, {}},
      {"R8 -2147483648.5 -> I4", -2147483648.5, VT_I4, S_OK, int(INT32_MIN)},
      {"R8 -0.6 -> UI1", -0.6, VT_UI1, DISP_E_OVERFLOW, {}},
      {"R8 NaN -> I4", std::nan(""), VT_I4, DISP_E_OVERFLOW, {}},
      {"R8 3.4e39 -> R4", 3.4e39, VT_R4, DISP_E_OVERFLOW, {}},
      // Fractions round half to even.
      {"R8 2.5", 2.5, VT_I4, S_OK, 2},
      {"R8 3.5", 3.5, VT_I4, S_OK, 4},
      {"text 0.00015 -> CY", "0.00015", VT_CY, S_OK, Cy(2)},
      // Text parses in the c locale.
      {"spaces", " 42 ", VT_I4, S_OK, 42},
      {"hex", "&H1F", VT_I4, S_OK, 31},
      {"null BSTR", nullText, VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"thousands separator", "1,000", VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"too big for I4", "99999999999", VT_I4, DISP_E_OVERFLOW, {}},
      // Booleans follow the scripting conventions.
      {"true -> I4", true, VT_I4, S_OK, -1},
      {"true -> alpha text", true, VT_BSTR, S_OK, "True", VARIANT_ALPHABOOL},
      {"True", "True", VT_BOOL, S_OK, true},
      {"#TRUE#", "#TRUE#", VT_BOOL, S_OK, true},
      {"yes", "Yes", VT_BOOL, DISP_E_TYPEMISMATCH, {}},
      // Empty null and error follow the platform.
      {"empty -> I4", Empty(), VT_I4, S_OK, 0},
      {"null -> I4", _variant_t::Null(), VT_I4, DISP_E_TYPEMISMATCH, {}},
      {"I4 -> error", 5, VT_ERROR, DISP_E_TYPEMISMATCH, {}},
      // Numbers become text without trailing zeros.
      {"1.5", 1.5, VT_BSTR, S_OK, "1.5"},
      {"1e15", 1e15, VT_BSTR, S_OK, "1E+15"},
      // Plain form down to 1E-11, as the platform writes it.
      {"5.6789e-5", 5.6789e-5, VT_BSTR, S_OK, "0.000056789"},
      {"1.5e-12", 1.5e-12, VT_BSTR, S_OK, "1.5E-12"},
      {"rounds up to 1E+15", 999999999999999.9, VT_BSTR, S_OK, "1E+15"},
      {"R4 0.000005", 0.000005f, VT_BSTR, S_OK, "0.000005"},
      // A float 654322.25 to seven digits: the tie rounds away from zero.
      {"R4 tie", 654322.23456f, VT_BSTR, S_OK, "654322.3"},
      {"CY min", Cy(std::numeric_limits<long long>::min()), VT_BSTR, S_OK, "-922337203685477.5808"},
      // Dates use the us short form both ways.
      {"midnight of day zero", Date(0), VT_BSTR, S_OK, "12:00:00 AM"},
      {"with time", Date(3.34), VT_BSTR, S_OK, "1/2/1900 8:09:36 AM"},
      {"negative", Date(-1.25), VT_BSTR, S_OK, "12/29/1899 6:00:00 AM"},
      {"beyond", Date(2958466), VT_BSTR, DISP_E_OVERFLOW, {}},
      {"ISO", "2024-03-05", VT_DATE, S_OK, Date(45356)},
      {"US with time", " 3/5/2024 1:30:00 PM ", VT_DATE, S_OK, Date(45356 + 13.5 / 24)},
      {"two-digit year 49", "1/1/49", VT_DATE, S_OK, Date(54424)},
      {"two-digit year 50", "1/1/50", VT_DATE, S_OK, Date(18264)},
      {"fraction of a second", "2013-05-14 02:04:12.017000000", VT_DATE, DISP_E_TYPEMISMATCH, {}},
      {"no such day", "2/30/2020", VT_DATE, DISP_E_TYPEMISMATCH, {}},
      // Type tags are validated.
      {"to 15", 1, VARTYPE(15), DISP_E_BADVARTYPE, {}},
      {"to by-reference", 1, VARTYPE(VT_I4 | VT_BYREF), DISP_E_TYPEMISMATCH, {}},
      {"array to scalar", array, VT_I4, DISP_E_TYPEMISMATCH, {}},
  });
}

TEST(VariantChangeType, DecimalConvertsExactly) {
  _variant_t dec;
  dec.decVal = DECIMAL{};
  dec.decVal.scale = 1;
  dec.decVal.Lo64 = 25;  // 2.5
  dec.vt = VT_DECIMAL;
  RunTable({{"2.5 -> I4", dec, VT_I4, S_OK, 2}, {"2.5 -> text", dec, VT_BSTR, S_OK, "2.5"}});
}

TEST(VariantChangeType, ConvertsInPlaceAndFailureLeavesTheDestination) {
  _variant_t v("  12 ");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 12);
  // Same type in place keeps the value (and, under ASan, frees nothing twice).
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(v.ToString(), "12");

  // A failure leaves the destination unchanged, in place as well.
  _variant_t src("not a number");
  _variant_t dest(77);
  EXPECT_EQ(VariantChangeType(&dest, &src, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(dest.vt, VT_I4);
  EXPECT_EQ(dest.lVal, 77);
  // In place as well: the string must survive.
  EXPECT_EQ(VariantChangeType(&src, &src, 0, VT_INT), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(src.ToString(), "not a number");
  // An unknown source type is refused.
  VARIANT bad{};
  bad.vt = 15;
  EXPECT_EQ(VariantChangeType(&dest, &bad, 0, VT_I4), DISP_E_BADVARTYPE);
  EXPECT_EQ(dest.lVal, 77);
}

TEST(VariantChangeType, ReadsThroughReferences) {
  LONG value = 41;
  const VARIANT ref = Ref(VT_I4, &value);
  _variant_t out;
  ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
  EXPECT_EQ(out.ToString(), "41");

  _variant_t text("2.5");
  VARIANT varRef = Ref(VT_VARIANT, &text);
  ASSERT_EQ(VariantChangeType(&out, &varRef, 0, VT_R8), S_OK);
  EXPECT_EQ(out.dblVal, 2.5);

  // Converting a reference in place replaces it by a value and leaves the
  // referenced string alone.
  ASSERT_EQ(VariantChangeType(&varRef, &varRef, 0, VT_I4), S_OK);
  EXPECT_EQ(varRef.vt, VT_I4);
  EXPECT_EQ(text.ToString(), "2.5");

  const VARIANT dangling = Ref(VT_VARIANT, nullptr);
  EXPECT_EQ(VariantChangeType(&out, &dangling, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, ObjectsConvertThroughTheirDefaultValue) {
  FakeDispatch obj;
  obj.value.vt = VT_BSTR;
  obj.value.bstrVal = SysAllocString(u" 2.5 ");
  {
    const _variant_t src(static_cast<IDispatch*>(&obj));
    _variant_t out;
    ASSERT_EQ(VariantChangeType(&out, &src, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 2);
    EXPECT_EQ(obj.invokes, 1);
    EXPECT_EQ(obj.lastId, DISPID_VALUE);
    EXPECT_EQ(obj.lastFlags, DISPATCH_PROPERTYGET);
    EXPECT_EQ(obj.lastArgCount, 0u);

    // The object's failure is the conversion's failure.
    obj.failWith = DISP_E_MEMBERNOTFOUND;
    EXPECT_EQ(VariantChangeType(&out, &src, 0, VT_I4), DISP_E_MEMBERNOTFOUND);
  }
  EXPECT_EQ(obj.refs, 1u);

  // A null object has no value.
  const _variant_t none(static_cast<IDispatch*>(nullptr));
  _variant_t out;
  EXPECT_EQ(VariantChangeType(&out, &none, 0, VT_I4), DISP_E_TYPEMISMATCH);

  // An object whose value is itself stops instead of looping, and the loop
  // takes no references with it.
  FakeDispatch self;
  self.value.vt = VT_DISPATCH;
  self.value.pdispVal = &self;
  self.AddRef();
  {
    const _variant_t src(static_cast<IDispatch*>(&self));
    EXPECT_EQ(VariantChangeType(&out, &src, 0, VT_I4), DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(self.refs, 2u);
}

}  // namespace
