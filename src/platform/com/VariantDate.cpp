#include "platform/com/VariantDate.h"

#include <cmath>
#include <cstdio>

namespace kelto::com::detail {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
constexpr long DaysFromCivil(long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long>(doe) - 719468;
}

struct Civil {
  long year;
  unsigned month;
  unsigned day;
};

constexpr Civil CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<long>(yoe) + era * 400 + (m <= 2), m, d};
}

constexpr long kEpoch = DaysFromCivil(1899, 12, 30);
// Two-digit years 00-49 are 2000-2049, 50-99 are 1950-1999 (the platform's
// current default window).
constexpr long kTwoDigitYearMax = 49;

unsigned DaysInMonth(long y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// A small cursor over the text.
class Reader {
 public:
  explicit Reader(std::u16string_view s) : s_(s) {}
  bool AtEnd() const { return i_ >= s_.size(); }
  char16_t Peek() const { return AtEnd() ? u'\0' : s_[i_]; }
  bool Take(char16_t c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  bool TakeNoCase(char16_t upper) {
    const char16_t c = Peek();
    if (c != upper && c != upper + 32) return false;
    ++i_;
    return true;
  }
  int SkipSpaces() {
    int n = 0;
    while (Peek() == ' ' || Peek() == '\t') ++i_, ++n;
    return n;
  }
  // Reads minDigits..maxDigits decimal digits; -1 if fewer are there.
  long Number(int minDigits, int maxDigits, int* count = nullptr) {
    long v = 0;
    int n = 0;
    while (n < maxDigits && Peek() >= '0' && Peek() <= '9') v = v * 10 + (s_[i_++] - '0'), ++n;
    if (count) *count = n;
    return n >= minDigits ? v : -1;
  }
  std::size_t pos() const { return i_; }

 private:
  std::u16string_view s_;
  std::size_t i_ = 0;
};

// "h:mm[:ss] [AM|PM]" as seconds since midnight.
bool ReadTime(Reader& r, double* seconds) {
  long h = r.Number(1, 2);
  if (h < 0 || !r.Take(':')) return false;
  const long m = r.Number(2, 2);
  if (m < 0 || m > 59) return false;
  double s = 0;
  if (r.Take(':')) {
    const long whole = r.Number(2, 2);
    if (whole < 0 || whole > 59) return false;
    // No fractions of a second: the platform refuses "02:04:12.017" too.
    s = static_cast<double>(whole);
  }
  r.SkipSpaces();
  const bool am = r.TakeNoCase('A');
  const bool pm = !am && r.TakeNoCase('P');
  if (am || pm) {
    if (!r.TakeNoCase('M')) return false;
    if (h < 1 || h > 12) return false;
    h = h % 12 + (pm ? 12 : 0);
  } else if (h > 23) {
    return false;
  }
  *seconds = static_cast<double>(h * 3600 + m * 60) + s;
  return true;
}

bool ValidDate(long y, long m, long d) {
  return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 &&
         d <= static_cast<long>(DaysInMonth(y, static_cast<unsigned>(m)));
}

}  // namespace

bool IsValidDate(double d) { return std::isfinite(d) && d > kMinDate - 1 && d < kMaxDate + 1; }

HRESULT FormatDate(DATE d, std::string* out) {
  if (!IsValidDate(d)) return DISP_E_OVERFLOW;
  double whole = std::trunc(d);
  long seconds = std::lround(std::fabs(d - whole) * 86400.0);
  if (seconds >= 86400) {
    // Rounded up to the next midnight, which is always one day later.
    seconds = 0;
    whole += 1;
  }
  const auto day = static_cast<long>(whole);
  char buf[64];
  std::string text;
  if (day != 0) {
    const Civil c = CivilFromDays(kEpoch + day);
    std::snprintf(buf, sizeof buf, "%u/%u/%ld", c.month, c.day, c.year);
    text = buf;
  }
  if (seconds != 0 || day == 0) {
    const long h = seconds / 3600;
    const long h12 = h % 12 == 0 ? 12 : h % 12;
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld %s", h12, seconds / 60 % 60, seconds % 60,
                  h < 12 ? "AM" : "PM");
    if (!text.empty()) text += ' ';
    text += buf;
  }
  *out = text;
  return S_OK;
}

HRESULT ParseDate(std::u16string_view text, DATE* out) {
  Reader r(text);
  r.SkipSpaces();
  long year = 1899, month = 12, day = 30;
  bool haveDate = false;
  double seconds = 0;
  bool haveTime = false;

  // Decide the form from the separator after the first number.
  Reader probe = r;
  int leading = 0;
  probe.Number(1, 4, &leading);
  if (leading == 0) return DISP_E_TYPEMISMATCH;
  const char16_t sep = probe.Peek();
  if (sep == '-' && leading == 4) {
    year = r.Number(4, 4);
    r.Take('-');
    month = r.Number(1, 2);
    if (month < 0 || !r.Take('-')) return DISP_E_TYPEMISMATCH;
    day = r.Number(1, 2);
    haveDate = true;
    const bool t = r.Take('T');
    if ((!t && r.SkipSpaces() == 0 && !r.AtEnd()) || (t && r.AtEnd())) return DISP_E_TYPEMISMATCH;
  } else if (sep == '/' && leading <= 2) {
    month = r.Number(1, 2);
    r.Take('/');
    day = r.Number(1, 2);
    if (day < 0 || !r.Take('/')) return DISP_E_TYPEMISMATCH;
    int digits = 0;
    year = r.Number(2, 4, &digits);
    if (digits == 2)
      year += year <= kTwoDigitYearMax ? 2000 : 1900;
    else if (digits != 4)
      return DISP_E_TYPEMISMATCH;
    haveDate = true;
    if (r.SkipSpaces() == 0 && !r.AtEnd()) return DISP_E_TYPEMISMATCH;
  } else if (sep != ':') {
    return DISP_E_TYPEMISMATCH;
  }
  if (haveDate && !ValidDate(year, month, day)) return DISP_E_TYPEMISMATCH;
  if (!r.AtEnd()) {
    if (!ReadTime(r, &seconds)) return DISP_E_TYPEMISMATCH;
    haveTime = true;
  }
  r.SkipSpaces();
  if (!r.AtEnd() || (!haveDate && !haveTime)) return DISP_E_TYPEMISMATCH;

  const long days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
  const double fraction = seconds / 86400.0;
  *out = days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
  return S_OK;
}

}  // namespace kelto::com::detail
