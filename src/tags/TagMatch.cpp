#include "tags/TagMatch.h"

#include <cmath>

#include "platform/com/Api.h"
#include "platform/com/Strings.h"
#include "platform/com/Variant.h"
#include "tags/RegExp.h"

namespace kelto::tags {

namespace {

bool IsInteger(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

// Converts without throwing; false when the conversion fails.
bool Convert(const VARIANT& from, VARTYPE to, _variant_t& out) {
  return SUCCEEDED(VariantChangeType(&out, &from, 0, to)) && out.vt == to;
}

// The text carries a fraction that converting it to an integer would round
// away. A text that is not a number at all is left to the integer conversion.
bool HasFraction(const VARIANT& text) {
  _variant_t number;
  if (!Convert(text, VT_R8, number)) return false;
  return std::isfinite(number.dblVal) && number.dblVal != std::trunc(number.dblVal);
}

// a and b hold the same type; that type is not EMPTY or NULL.
bool SameValue(const VARIANT& a, const VARIANT& b) {
  switch (a.vt) {
    case VT_I1:
      return a.cVal == b.cVal;
    case VT_UI1:
      return a.bVal == b.bVal;
    case VT_I2:
      return a.iVal == b.iVal;
    case VT_UI2:
      return a.uiVal == b.uiVal;
    case VT_I4:
      return a.lVal == b.lVal;
    case VT_UI4:
      return a.ulVal == b.ulVal;
    case VT_INT:
      return a.intVal == b.intVal;
    case VT_UINT:
      return a.uintVal == b.uintVal;
    case VT_I8:
      return a.llVal == b.llVal;
    case VT_UI8:
      return a.ullVal == b.ullVal;
    case VT_R4:
      return a.fltVal == b.fltVal;
    case VT_R8:
      return a.dblVal == b.dblVal;
    case VT_DATE:
      return a.date == b.date;
    case VT_CY:
      return a.cyVal.int64 == b.cyVal.int64;
    case VT_BOOL:
      // Truth, not bits: a server that returns 1 for true still means true.
      return (a.boolVal != 0) == (b.boolVal != 0);
    case VT_BSTR:
      return com::BstrView(a.bstrVal) == com::BstrView(b.bstrVal);
    case VT_DECIMAL: {
      // Decimal text is exact and drops trailing zeros, so 1.5 and 1.50
      // (different scales) read the same.
      _variant_t ta, tb;
      return Convert(a, VT_BSTR, ta) && Convert(b, VT_BSTR, tb) &&
             com::BstrView(ta.bstrVal) == com::BstrView(tb.bstrVal);
    }
    default:
      // Objects, errors and arrays never come out of a text conversion; this
      // is not reached for them.
      return false;
  }
}

}  // namespace

bool MatchesExactly(const VARIANT& value, std::string_view expected) {
  if (value.vt & VT_BYREF) {
    _variant_t direct;
    if (FAILED(VariantCopyInd(&direct, &value))) return false;
    return MatchesExactly(direct, expected);
  }
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return false;
  const _variant_t text(expected);  // throws only when out of memory
  if (IsInteger(value.vt) && HasFraction(text)) return false;
  _variant_t converted;
  if (!Convert(text, value.vt, converted)) return false;
  return SameValue(value, converted);
}

MatchResult MatchesRegExp(const VARIANT& value, const RegExp& expression,
                          std::size_t* allowance) {
  _variant_t text;
  if (!Convert(value, VT_BSTR, text)) return MatchResult::NoMatch;
  return expression.Search(com::BstrView(text.bstrVal), nullptr, RegExp::kDefaultStepLimit,
                           allowance);
}

}  // namespace kelto::tags
