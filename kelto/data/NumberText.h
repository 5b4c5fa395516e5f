// The shortest text that reads back as the same double, for the writers.
#pragma once

#include <charconv>
#include <string>

namespace kelto::data {

inline std::string NumberText(double v) {
  if (v == 0.0) v = 0.0;  // no "-0"
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

}  // namespace kelto::data
