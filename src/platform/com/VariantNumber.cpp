#include "platform/com/VariantNumber.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace kelto::com::detail {

namespace {

constexpr int kMaxPow10 = 38;

Int128 Pow10(int n) {
  Int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

Int128 Abs(Int128 v) { return v < 0 ? -v : v; }

bool IsSpace(char16_t c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// mantissa / 10^scale rounded half to even.
Int128 RoundScaled(Int128 mantissa, int scale) {
  if (scale <= 0) return mantissa;
  const Int128 p = Pow10(scale);
  Int128 q = mantissa / p;
  const Int128 r = Abs(mantissa % p);
  const Int128 twice = 2 * r;
  if (twice > p || (twice == p && (q % 2 != 0))) q += mantissa < 0 ? -1 : 1;
  return q;
}

HRESULT ParseRadix(std::u16string_view digits, int radix, Number* out) {
  if (digits.empty()) return DISP_E_TYPEMISMATCH;
  Int128 v = 0;
  for (char16_t c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0 || d >= radix) return DISP_E_TYPEMISMATCH;
    v = v * radix + d;
    if (v > std::numeric_limits<std::uint64_t>::max()) return DISP_E_OVERFLOW;
  }
  *out = Number::Int(v);
  out->real = static_cast<double>(v);
  out->hasReal = true;
  return S_OK;
}

}  // namespace

HRESULT ParseNumber(std::u16string_view text, Number* out) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.size() > 2 && text[0] == '&') {
    if (text[1] == 'H' || text[1] == 'h') return ParseRadix(text.substr(2), 16, out);
    if (text[1] == 'O' || text[1] == 'o') return ParseRadix(text.substr(2), 8, out);
  }
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Significant digits without leading zeros, and the power of ten of the
  // last one: value = digits × 10^exp10.
  std::string digits;
  long exp10 = 0;
  bool anyDigit = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= '0' && c <= '9') {
      anyDigit = true;
      if (!digits.empty() || c != '0') digits.push_back(static_cast<char>(c));
      if (point) --exp10;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return DISP_E_TYPEMISMATCH;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return DISP_E_TYPEMISMATCH;
    long e = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      if (e < 100000000) e = e * 10 + (text[i] - '0');
    exp10 += expNegative ? -e : e;
  }
  if (i != text.size()) return DISP_E_TYPEMISMATCH;

  // Trailing zeros of the digits move into the exponent.
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++exp10;
  }
  if (digits.empty()) {
    *out = Number::Int(0);
    out->real = negative ? -0.0 : 0.0;
    out->hasReal = true;
    return S_OK;
  }

  // The correctly rounded double, in the C locale whatever the process's.
  const long magnitude = exp10 + static_cast<long>(digits.size());  // value < 10^magnitude
  double real = 0;
  if (magnitude > 400) return DISP_E_OVERFLOW;
  if (magnitude >= -400) {
    const std::string ascii = digits + "e" + std::to_string(exp10);
    const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), real);
    if (r.ec == std::errc::result_out_of_range) {
      if (magnitude > 0) return DISP_E_OVERFLOW;
      real = 0;  // underflow reads as zero
    }
  }
  if (negative) real = -real;

  const auto n = static_cast<long>(digits.size());
  if (exp10 >= 0 && n + exp10 <= kMaxPow10 - 1) {
    Int128 v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    *out = Number::Int((negative ? -v : v) * Pow10(static_cast<int>(exp10)));
  } else if (exp10 < 0 && -exp10 <= 28 && n <= kMaxPow10 - 2) {
    Int128 v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    *out = Number::Fixed(negative ? -v : v, static_cast<int>(-exp10));
  } else {
    *out = Number::Float(real);
  }
  out->real = real;
  out->hasReal = true;
  return S_OK;
}

HRESULT ToInteger(const Number& n, Int128 lo, Int128 hi, Int128* out) {
  Int128 v = 0;
  switch (n.kind) {
    case Number::Kind::Integer:
      v = n.integer;
      break;
    case Number::Kind::Scaled:
      v = RoundScaled(n.integer, n.scale);
      break;
    case Number::Kind::Real: {
      if (!std::isfinite(n.real)) return DISP_E_OVERFLOW;
      const double r = std::nearbyint(n.real);  // default mode: ties to even
      if (std::fabs(r) >= 0x1p100) return DISP_E_OVERFLOW;
      v = static_cast<Int128>(r);
      break;
    }
  }
  if (n.wraps) {
    const Int128 span = hi - lo + 1;
    v = ((v - lo) % span + span) % span + lo;
  }
  if (v < lo || v > hi) return DISP_E_OVERFLOW;
  *out = v;
  return S_OK;
}

double ToDouble(const Number& n) {
  if (n.hasReal) return n.real;
  switch (n.kind) {
    case Number::Kind::Integer:
      return static_cast<double>(n.integer);
    case Number::Kind::Scaled:
      return static_cast<double>(static_cast<long double>(n.integer) /
                                 static_cast<long double>(Pow10(n.scale)));
    case Number::Kind::Real:
      break;
  }
  return n.real;
}

HRESULT ToCurrency(const Number& n, std::int64_t* out) {
  Int128 v = 0;
  switch (n.kind) {
    case Number::Kind::Integer:
      if (Abs(n.integer) > Pow10(kMaxPow10 - 5)) return DISP_E_OVERFLOW;
      v = n.integer * 10000;
      break;
    case Number::Kind::Scaled:
      if (n.scale < 4 && Abs(n.integer) > Pow10(kMaxPow10 - 5)) return DISP_E_OVERFLOW;
      v = n.scale >= 4 ? RoundScaled(n.integer, n.scale - 4) : n.integer * Pow10(4 - n.scale);
      break;
    case Number::Kind::Real: {
      if (!std::isfinite(n.real)) return DISP_E_OVERFLOW;
      const double r = std::nearbyint(n.real * 10000.0);
      if (std::fabs(r) >= 0x1p100) return DISP_E_OVERFLOW;
      v = static_cast<Int128>(r);
      break;
    }
  }
  if (v < std::numeric_limits<std::int64_t>::min() || v > std::numeric_limits<std::int64_t>::max())
    return DISP_E_OVERFLOW;
  *out = static_cast<std::int64_t>(v);
  return S_OK;
}

HRESULT ToDecimal(const Number& n, DECIMAL* out) {
  Int128 mantissa = 0;
  int scale = 0;
  if (n.kind == Number::Kind::Integer) {
    mantissa = n.integer;
  } else if (n.kind == Number::Kind::Scaled) {
    mantissa = n.integer;
    scale = n.scale;
  } else {
    if (!std::isfinite(n.real)) return DISP_E_OVERFLOW;
    Number parsed;
    const std::string text = FormatReal(n.real, 15);
    const HRESULT hr = ParseNumber(std::u16string(text.begin(), text.end()), &parsed);
    if (FAILED(hr)) return hr;
    if (parsed.kind == Number::Kind::Real) {
      // Beyond 28 decimal places: what is left is zero; beyond 2^96: overflow.
      if (std::fabs(n.real) < 1) return ToDecimal(Number::Int(0), out);
      return DISP_E_OVERFLOW;
    }
    return ToDecimal(parsed.kind == Number::Kind::Integer
                         ? Number::Int(parsed.integer)
                         : Number::Fixed(parsed.integer, parsed.scale),
                     out);
  }
  const Int128 magnitude = Abs(mantissa);
  if (magnitude >> 96) return DISP_E_OVERFLOW;
  *out = DECIMAL{};
  out->scale = static_cast<BYTE>(scale);
  out->sign = mantissa < 0 ? 0x80 : 0;
  out->Hi32 = static_cast<ULONG>(magnitude >> 64);
  out->Lo64 = static_cast<ULONGLONG>(magnitude);
  return S_OK;
}

HRESULT FromDecimal(const DECIMAL& d, Number* out) {
  if (d.scale > 28 || (d.sign & 0x7F)) return E_INVALIDARG;
  Int128 m = (static_cast<Int128>(d.Hi32) << 64) | d.Lo64;
  if (d.sign) m = -m;
  *out = d.scale ? Number::Fixed(m, d.scale) : Number::Int(m);
  return S_OK;
}

bool IsNonZero(const Number& n) {
  if (n.kind == Number::Kind::Real) return n.real != 0;  // NaN counts as true
  return n.integer != 0;
}

std::string FormatInteger(Int128 v) {
  const bool negative = v < 0;
  unsigned __int128 m = negative ? -static_cast<unsigned __int128>(v) : v;
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m);
  if (negative) s.insert(s.begin(), '-');
  return s;
}

std::string FormatReal(double v, int digits) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  if (v == 0) return "0";  // also for -0
  // The exact decimal value first (120 digits hold every double's whole
  // expansion at the magnitudes where a tie can occur), then rounded by hand:
  // a tie rounds away from zero, so a float 654322.25 reads "654322.3".
  char buf[160];
  const auto r =
      std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 120);
  const std::string_view exact(buf, static_cast<std::size_t>(r.ptr - buf));
  const std::size_t e = exact.find('e');
  int exponent = std::atoi(std::string(exact.substr(e + 1)).c_str());
  std::string mantissa;
  for (char c : exact.substr(0, e))
    if (c != '.') mantissa += c;
  const bool up = mantissa[static_cast<std::size_t>(digits)] >= '5';
  mantissa.resize(static_cast<std::size_t>(digits));
  if (up) {
    std::size_t i = mantissa.size();
    while (i > 0 && mantissa[i - 1] == '9') mantissa[--i] = '0';
    if (i == 0) {
      mantissa.insert(mantissa.begin(), '1');
      mantissa.pop_back();
      ++exponent;
    } else {
      ++mantissa[i - 1];
    }
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  std::string out = v < 0 ? "-" : "";
  if (exponent >= digits || exponent < kPlainExponentMin) {
    out += mantissa.substr(0, 1);
    if (mantissa.size() > 1) out += "." + mantissa.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out + tail;
  }
  if (exponent < 0) {
    out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
  } else {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (mantissa.size() <= whole) {
      out += mantissa + std::string(whole - mantissa.size(), '0');
    } else {
      out += mantissa.substr(0, whole) + "." + mantissa.substr(whole);
    }
  }
  return out;
}

// GCC 12 at -O3 reports a false -Wrestrict overlap inside std::string's
// insert here (GCC bug 105329); the code is plain string editing.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
std::string FormatScaled(Int128 mantissa, int scale) {
  const bool negative = mantissa < 0;
  std::string digits = FormatInteger(Abs(mantissa));
  if (scale > 0) {
    if (static_cast<int>(digits.size()) <= scale)
      digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (negative && digits != "0") digits.insert(digits.begin(), '-');
  return digits;
}
#pragma GCC diagnostic pop

}  // namespace kelto::com::detail
