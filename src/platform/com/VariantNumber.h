// The numeric core of VariantChangeType: a value in transit between VARIANT
// types, text parsing and formatting in the C locale, and the rounding and
// range rules of the scripting platform.
//
// Rounding is always to nearest with ties to even ("banker's rounding"):
// 2.5 -> 2, 3.5 -> 4, -2.5 -> -2. Range violations give DISP_E_OVERFLOW.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/Types.h"

namespace kelto::com::detail {

using Int128 = __int128;

struct Number {
  enum class Kind { Integer, Scaled, Real };
  Kind kind = Kind::Integer;
  // Integer: the value. Scaled: the value times 10^scale (CY, DECIMAL and
  // decimal text are exact this way).
  Int128 integer = 0;
  int scale = 0;
  // Real: the value. Also set for parsed text (correctly rounded), so that
  // text converts to floating point without a detour through decimals.
  double real = 0;
  bool hasReal = false;
  // A VARIANT_BOOL: narrowing to an unsigned type wraps (True becomes 255,
  // 65535, ...) instead of overflowing, as the platform does.
  bool wraps = false;

  static Number Int(Int128 v) {
    Number n;
    n.integer = v;
    return n;
  }
  static Number Fixed(Int128 mantissa, int scale) {
    Number n;
    n.kind = Kind::Scaled;
    n.integer = mantissa;
    n.scale = scale;
    return n;
  }
  static Number Float(double v) {
    Number n;
    n.kind = Kind::Real;
    n.real = v;
    n.hasReal = true;
    return n;
  }
};

// Parses a number written in the C locale: optional spaces, an optional sign,
// digits with an optional '.' fraction and an optional exponent (e/E), then
// optional spaces; or "&H" hexadecimal / "&O" octal integers. No thousands
// separators, currency symbols or parentheses. S_OK, DISP_E_TYPEMISMATCH
// (not a number) or DISP_E_OVERFLOW (beyond the range of a double).
HRESULT ParseNumber(std::u16string_view text, Number* out);

// Rounds half to even and checks the range [lo, hi]. A wrapping number
// (VARIANT_BOOL) is truncated to `bits` bits instead when hi is unsigned max.
HRESULT ToInteger(const Number& n, Int128 lo, Int128 hi, Int128* out);
// Never fails; Scaled values divide in long double.
double ToDouble(const Number& n);
// Value times 10,000, rounded half to even, within the 64-bit range.
HRESULT ToCurrency(const Number& n, std::int64_t* out);
// DECIMAL: exact for integers and scaled values; a double goes through its
// 15-significant-digit text, as the platform does.
HRESULT ToDecimal(const Number& n, DECIMAL* out);
// Reads a DECIMAL; E_INVALIDARG for a scale above 28 or a bad sign byte.
HRESULT FromDecimal(const DECIMAL& d, Number* out);
bool IsNonZero(const Number& n);

// Text forms, C locale, no trailing zeros.
std::string FormatInteger(Int128 v);
// Up to `digits` significant digits, a tie rounded away from zero; plain form
// from 1E-11 up to the last power of ten with `digits` digits ("0.000056789",
// "123456789012345"), exponent form outside ("1E+15", "1E-12").
inline constexpr int kPlainExponentMin = -11;
std::string FormatReal(double v, int digits);
// mantissa / 10^scale exactly ("1.5", "-0.0009", "10").
std::string FormatScaled(Int128 mantissa, int scale);

}  // namespace kelto::com::detail
