#include "symbolic/SymbolFile.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "platform/com/RegularFile.h"
#include "symbolic/SkeldaSymbols.h"

namespace kelto::symbolic {

namespace {

// The "C" locale, made once and kept for the life of the process: strtod
// alone would follow whatever locale the host has set with setlocale and read
// "1.5" as 1 in a locale whose decimal point is a comma.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Where(const std::string& name, std::size_t lineNumber) {
  return "Symbol file '" + name + "', line " + std::to_string(lineNumber) + ": ";
}

double CheckedReal(std::string_view field, const std::string& name, std::size_t lineNumber) {
  const double value = FieldReal(field);
  if (!std::isfinite(value))
    throw std::out_of_range(Where(name, lineNumber) + "the number '" + std::string(field) +
                            "' is not finite.");
  // Finite is not enough: a symbol is mapped onto the model by the sizes of
  // its component, and 1e300 there would make the model's box infinite.
  if (std::fabs(value) > kMaxSymbolNumber)
    throw std::out_of_range(Where(name, lineNumber) + "the number '" + std::string(field) +
                            "' is out of range (-1000000 to 1000000).");
  return value;
}

void ReadHeader(std::string_view line, const std::string& name, std::size_t lineNumber,
                CSkeldaSymbols& symbols, CSkeldaSymbol*& current) {
  if (line.size() < kHeaderMinLength)
    throw std::out_of_range(Where(name, lineNumber) + "a 501 record must reach column " +
                            std::to_string(kHeaderMinLength) + " but the line has " +
                            std::to_string(line.size()) + " characters.");
  std::string_view key = Field(line, 7, 10);
  bool blank = true;
  for (char c : key) blank = blank && IsBlank(c);
  if (blank) key = Field(line, 12, 15);

  CSkeldaSymbol& symbol = symbols.Open(std::string(key));
  symbol.NewSKEY = TrimTrailingBlanks(Field(line, 7, 11));
  symbol.OldSKEY = TrimTrailingBlanks(Field(line, 12, 16));
  symbol.Spindle = TrimTrailingBlanks(Field(line, 17, 21));
  symbol.ScaleF = CheckedReal(Field(line, 22, 29), name, lineNumber) / 100.0;
  symbol.Orient = FieldInteger(Field(line, 30, 37));
  symbol.FlowAr = FieldInteger(Field(line, 38, 45));
  symbol.Dim = FieldInteger(Field(line, 46, 53));
  symbol.variant = FieldInteger(Field(line, 86, 93));
  symbol.placement = FieldInteger(Field(line, 94, 101));
  current = &symbol;
}

void ReadPen(std::string_view line, const std::string& name, std::size_t lineNumber,
             CSkeldaSymbol& symbol) {
  if (line.size() < kPenMinLength)
    throw std::out_of_range(Where(name, lineNumber) + "a 502 record must reach column " +
                            std::to_string(kPenMinLength) + " but the line has " +
                            std::to_string(line.size()) + " characters.");
  for (std::size_t start : {7u, 31u, 55u, 79u}) {
    const long code = FieldInteger(Field(line, start, start + 7));
    if (code == 0) continue;
    const double x = CheckedReal(Field(line, start + 8, start + 15), name, lineNumber);
    const double y = CheckedReal(Field(line, start + 16, start + 23), name, lineNumber);
    symbol.instructions.push_back({code, {x, y}});
  }
}

}  // namespace

std::string_view Field(std::string_view line, std::size_t first, std::size_t last) {
  if (first == 0 || last < first || first > line.size()) return {};
  return line.substr(first - 1, last - first + 1);
}

long FieldInteger(std::string_view field) {
  const std::string text(field);
  const long value = strtol_l(text.c_str(), nullptr, 10, CLocale());
  // atoi has no defined result past the range; the clamped value strtol
  // gives is the useful one. Eight columns never get there on 64 bits.
  return value;
}

double FieldReal(std::string_view field) {
  const std::string text(field);
  return strtod_l(text.c_str(), nullptr, CLocale());
}

std::string TrimTrailingBlanks(std::string_view field) {
  while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
  return std::string(field);
}

void ReadSymbolStream(std::istream& in, const std::string& name, CSkeldaSymbols& symbols) {
  CSkeldaSymbol* current = nullptr;
  std::string line;
  std::size_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    switch (FieldInteger(Field(line, 1, 6))) {
      case kSymbolHeaderRecord:
        ReadHeader(line, name, lineNumber, symbols, current);
        break;
      case kPenRecord:
        // Pen records before the first header have no symbol to draw into.
        if (current) ReadPen(line, name, lineNumber, *current);
        break;
      default:
        // Blank lines, comments and records this reader does not use.
        break;
    }
  }
  if (in.bad())
    throw std::runtime_error("Symbol file '" + name + "': reading stopped after line " +
                             std::to_string(lineNumber) + ".");
}

void ReadSymbolFile(const std::string& path, CSkeldaSymbols& symbols) {
  // Only a regular file of a sane size: a device or a FIFO named by mistake
  // would otherwise be read without end or block for ever.
  std::istringstream in(kelto::platform::ReadRegularFile(path, "symbol file", kMaxSymbolFileBytes));
  ReadSymbolStream(in, path, symbols);
}

}  // namespace kelto::symbolic
