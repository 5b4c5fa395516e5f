// DATE <-> text for VariantChangeType. A DATE counts days from 30 December
// 1899; the fraction is the time of day, taken as an absolute value for
// negative dates (-1.25 is 29 December 1899, 06:00). The calendar is the
// proleptic Gregorian one; valid dates run from 1 January 100 to
// 31 December 9999.
//
// Text uses the US short form in every locale, as the runtime keeps to the C
// locale: "M/D/YYYY h:mm:ss AM". The date is left out when it is 30/12/1899
// (day zero) and the time when it is midnight, except that day zero at
// midnight reads "12:00:00 AM".
#pragma once

#include <string>
#include <string_view>

#include "platform/com/Types.h"

namespace kelto::com::detail {

constexpr double kMinDate = -657434.0;  // 1/1/100
constexpr double kMaxDate = 2958465.0;  // 12/31/9999 (plus any time that day)

// Whether d lies within the valid DATE range.
bool IsValidDate(double d);

// DISP_E_OVERFLOW outside the valid range.
HRESULT FormatDate(DATE d, std::string* out);

// Reads "YYYY-MM-DD" (optionally followed by 'T' or spaces and a time),
// "M/D/YYYY" or "M/D/YY" (years 00-29 are 20xx, 30-99 are 19xx; optionally
// followed by a time), or a time alone "h:mm[:ss[.fff]] [AM|PM]". Spaces
// around the text are allowed. DISP_E_TYPEMISMATCH for anything else,
// including impossible dates such as 2/30/2020.
HRESULT ParseDate(std::u16string_view text, DATE* out);

}  // namespace kelto::com::detail
