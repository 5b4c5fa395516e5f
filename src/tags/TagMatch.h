// How a tag-engine condition compares an aspect's value with its expected
// text. Both functions answer yes or no and never throw for a value they
// cannot handle: a comparison that cannot be made is a condition that fails.
// (Running out of memory is not hidden that way: it throws _com_error.)
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/com/Types.h"

namespace kelto::tags {

class RegExp;

// Exact matching. The expected text is converted to the value's type with
// VariantChangeType (flags 0) and the two are compared for equality:
//  - an empty or null value never equals anything;
//  - a text that does not convert (DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, or a
//    value type that text never converts to: objects, errors, arrays) fails;
//  - numbers compare by value after the conversion, so "1.0", "1" and " 1e0 "
//    all equal a double 1, and "0.1" equals a float 0.1 (the text is rounded
//    to the float, not the float widened);
//  - an integer value is never equal to a text with a fractional part: the
//    conversion would round "1.4" to 1, and a rule reading "1.4" does not
//    mean 1;
//  - booleans compare by truth ("True", "-1", "1" all equal true);
//  - strings compare exactly (case-sensitive, code unit by code unit).
bool MatchesExactly(const VARIANT& value, std::string_view expected);

// Regular-expression matching: the value is converted to text with
// VariantChangeType (flags 0: a boolean reads "-1"/"0", an empty value "");
// a value that has no text form (null, errors, arrays) is NoMatch. Otherwise
// the search's answer; Aborted when a work bound ran out (the expression's
// own step budget, or `allowance`, the caller's remaining work, which the
// search reduces).
enum class MatchResult;
MatchResult MatchesRegExp(const VARIANT& value, const RegExp& expression,
                          std::size_t* allowance = nullptr);

}  // namespace kelto::tags
