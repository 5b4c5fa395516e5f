// libFuzzer harness for symbol library files: the input is the text of one.
// Reading must succeed or throw std::out_of_range / std::runtime_error with a
// message naming the file; a library that reads must hold only finite
// numbers within the documented range, and its symbols must answer the
// geometry questions the builders ask without faulting.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

#include "symbolic/SkeldaSymbols.h"
#include "symbolic/SymbolFile.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

bool InRange(double v) { return std::isfinite(v) && std::fabs(v) <= kelto::symbolic::kMaxSymbolNumber; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  CSkeldaSymbols symbols;
  try {
    kelto::symbolic::ReadSymbolStream(in, "fuzz.sym", symbols);
  } catch (const std::runtime_error& e) {
    Check(std::string(e.what()).find("fuzz.sym") != std::string::npos);
    return 0;
  } catch (const std::out_of_range& e) {
    Check(std::string(e.what()).find("fuzz.sym") != std::string::npos);
    return 0;
  }
  for (const auto& [key, symbol] : symbols.Symbols()) {
    Check(InRange(symbol.ScaleF * 100.0));
    for (const auto& instruction : symbol.instructions)
      Check(InRange(instruction.point.x) && InRange(instruction.point.y));
    symbol.Start();
    symbol.End();
    symbol.SpindlePoint();
    try {
      Check(std::isfinite(symbol.Length()) && std::isfinite(symbol.Width()));
    } catch (const std::exception&) {
      // A drawing without extent cannot be measured; the builders expect that.
    }
    symbols.Lookup(key);
  }
  return 0;
}
