// The reader of symbol library files: text lines of fixed columns, records
// 501 (a symbol header) and 502 (up to four pen instructions). The format is
// described for users in docs/symbol-format.md.
//
// Numbers follow the C atoi/atof rules on the substring of their columns:
// leading white space is skipped, parsing stops at the first character that
// cannot continue the number, an empty or unreadable field is 0. The decimal
// point is always "." whatever the process locale says, so a file reads the
// same in every host.
//
// Failure rules (each message names the file and, for a bad line, its
// 1-based line number):
//  - a 501 line shorter than 93 characters or a 502 line shorter than 94
//    throws std::out_of_range — the line does not reach the start of its last
//    number, so the file is cut or not in this format;
//  - a real number that is not finite ("nan", "inf", "1e999") or beyond
//    ±kMaxSymbolNumber ("1e300") throws std::out_of_range: it would poison
//    every point the symbol is mapped to, or the model's bounding box;
//  - a file that cannot be opened or read, that is not a regular file (a
//    folder, a device, a FIFO) or is larger than kMaxSymbolFileBytes throws
//    std::runtime_error with the reason.
// The reader fills the CSkeldaSymbols it is given as it goes; callers that
// need all-or-nothing read into a fresh object and drop it on failure (the
// symbol filter does).
#pragma once

#include <istream>
#include <string>
#include <string_view>

class CSkeldaSymbols;

namespace kelto::symbolic {

// The record codes this reader acts on; every other code is skipped.
inline constexpr long kSymbolHeaderRecord = 501;
inline constexpr long kPenRecord = 502;

// The shortest 501 and 502 lines: they must reach these 1-based columns.
inline constexpr std::size_t kHeaderMinLength = 93;
inline constexpr std::size_t kPenMinLength = 94;
// Coordinates and ScaleF: symbols are drawn on a grid of about ten units, so
// this is far beyond any drawing and far within what the model can hold.
inline constexpr double kMaxSymbolNumber = 1e6;
// A symbol library is text of a few hundred kilobytes at most.
inline constexpr std::size_t kMaxSymbolFileBytes = std::size_t{64} << 20;

// The substring at 1-based columns first..last; shorter or empty when the
// line ends inside the field or before it.
std::string_view Field(std::string_view line, std::size_t first, std::size_t last);
// C atoi / atof of a field (see the header comment).
long FieldInteger(std::string_view field);
double FieldReal(std::string_view field);
// field without its trailing blanks (space, tab, carriage return, line feed).
std::string TrimTrailingBlanks(std::string_view field);

// Reads every line of in into symbols. name labels the messages.
void ReadSymbolStream(std::istream& in, const std::string& name, CSkeldaSymbols& symbols);
// Opens path and reads it.
void ReadSymbolFile(const std::string& path, CSkeldaSymbols& symbols);

}  // namespace kelto::symbolic
