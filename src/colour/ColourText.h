// The text forms of a colour in user colour rules: a name ("Red", "cyan") or
// three integers "r, g, b". docs/colour-schemes.md has the full rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelto::colour {

inline constexpr std::int32_t kWhite = 0xFFFFFF;

// The colour (0x00BBGGRR) a rule's text stands for, or nullopt when the text
// is neither form.
//  1. The text in ASCII lower case is one of black, red, green, blue, yellow,
//     magenta, cyan, white (nothing is trimmed: " red" is not a name).
//  2. Otherwise it is read like scanf's " %i , %i , %i ": white space is
//     allowed anywhere around the three integers and commas; each integer is
//     optionally signed and decimal, hexadecimal after "0x"/"0X", or octal
//     after a leading "0"; whatever follows the third integer is ignored.
//     The result is r | g << 8 | b << 16 in 32-bit arithmetic with no range
//     check, so out-of-range parts spill into the neighbouring bytes
//     ("0, 256, 0" is 0x010000) and negative ones set the high bits. A number
//     too large for 32 bits keeps its low 32 bits (two's complement).
std::optional<std::int32_t> ParseColourText(std::string_view text);

// ParseColourText, white (0xFFFFFF) when the text is neither form.
std::int32_t ColourFromText(std::string_view text);

}  // namespace kelto::colour
