// Numbers in the text dumps: what a default-formatted output stream prints
// (six significant digits, the shorter of fixed and exponential form, as
// printf's %g), independent of the stream's flags and locale, and without the
// stream's per-number formatting cost.
#pragma once

#include <charconv>
#include <ostream>

inline void WriteNumber(std::ostream& os, double value) {
  char buffer[32];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  os.write(buffer, result.ptr - buffer);
}

// "(x, y, z)" of anything with x, y and z.
template <class P>
void WriteTriple(std::ostream& os, const P& p) {
  os << '(';
  WriteNumber(os, p.x);
  os << ", ";
  WriteNumber(os, p.y);
  os << ", ";
  WriteNumber(os, p.z);
  os << ')';
}
