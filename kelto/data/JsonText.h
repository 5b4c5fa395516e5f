// Writing JSON text byte for byte the same on every platform: strings are
// escaped here and numbers come from integers, never from the C library's
// floating-point formatting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelto::data::json_text {

// Appends `text` as a JSON string literal.
void AppendString(std::string& out, std::string_view text);
// Appends value / 10^decimals in plain decimal notation with trailing zeros of
// the fraction dropped: (12345, 1) -> "1234.5", (12340, 1) -> "1234", (-5, 1) -> "-0.5".
void AppendFixed(std::string& out, std::int64_t value, int decimals);

}  // namespace kelto::data::json_text
