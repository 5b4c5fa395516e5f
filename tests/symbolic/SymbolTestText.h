// Symbol library text for the symbol tests: 501 and 502 records laid out in
// their fixed columns, so a test states its symbols as values rather than as
// column-counted strings.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace symbol_test {

struct Pen {
  long code;
  double x;
  double y;
};

struct Header {
  std::string key;  // columns 7-11
  std::string old;  // columns 12-16
  std::string spindle;
  double scale = 100;
  long orient = 0;
  long flowAr = 0;
  long dim = 0;
  long variant = 0;
  long placement = 0;
};

inline std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

inline std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%8g", v);
  return text;
}

// A 501 record, 101 characters long.
inline std::string HeaderLine(const Header& h) {
  return "   501" + Padded(h.key, 5) + Padded(h.old, 5) + Padded(h.spindle, 5) + Number(h.scale) +
         Number(h.orient) + Number(h.flowAr) + Number(h.dim) + std::string(32, ' ') +
         Number(h.variant) + Number(h.placement);
}

// 502 records of up to four instructions each; unused fields hold code 0.
inline std::string PenLines(const std::vector<Pen>& pens) {
  std::string text;
  for (std::size_t i = 0; i < pens.size(); i += 4) {
    text += "   502";
    for (std::size_t k = i; k < i + 4; ++k) {
      if (k < pens.size())
        text += Number(pens[k].code) + Number(pens[k].x) + Number(pens[k].y);
      else
        text += Number(0) + Number(0) + Number(0);
    }
    text += "\n";
  }
  return text;
}

inline std::string Symbol(const Header& h, const std::vector<Pen>& pens) {
  return HeaderLine(h) + "\n" + PenLines(pens);
}

inline std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// A symbol that runs from (0,0) to (10,0), 10 wide: a plain box.
inline std::vector<Pen> BoxPens() {
  return {{1, 0, 0}, {1, 0, -5}, {2, 0, 5}, {2, 10, 5}, {2, 10, -5}, {2, 0, -5}, {1, 10, 0}};
}

}  // namespace symbol_test
