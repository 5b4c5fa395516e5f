// Text from a file, made safe to print on a terminal or in a line-based
// listing. Names in piping data, symbol libraries and configurations are
// whatever their author wrote: an escape sequence would recolour or rewrite
// the terminal, a newline would forge a line of the listing. Printed, every
// such character is spelt out instead:
//   \n \r \t            for newline, carriage return and tab
//   \xNN                for other control characters (U+0000 to U+001F,
//                       U+007F) and bytes that are not UTF-8
//   \u0080 ... \u009F   for the C1 controls, which some terminals obey
//   \\                  for the backslash itself, so that the printed text
//                       reads back one way only
// Everything else, UTF-8 letters included, is printed as it is.
#pragma once

#include <string>
#include <string_view>

std::string PrintableText(std::string_view text);
