// CSkeldaSymbols: the symbols of one loaded symbol library file, by their
// four-character key (spaces kept, nothing trimmed).
//
// A key is answered through three patterns tried in turn: the full key, its
// first two characters followed by "**" (a symbol for a whole family), and
// its first two characters followed by two spaces. In a pattern "." keeps the
// key's character at that position and any other character replaces it.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>

#include "core/CountedPtr.h"
#include "symbolic/SkeldaSymbol.h"

class CSkeldaSymbols {
 public:
  using Ptr = cptr::counted_ptr<CSkeldaSymbols>;

  // The lookup patterns, in the order they are tried.
  static constexpr std::array<std::string_view, 3> kPatterns = {"....", "..**", "..  "};

  // Reads the file at path (kelto::symbolic::ReadSymbolFile; its failure
  // rules apply). Symbols already held stay and are re-opened by the file.
  void Read(const std::string& path);

  // The symbol of exactly this key, created empty when absent. A file that
  // names a key twice therefore extends the first drawing.
  CSkeldaSymbol& Open(const std::string& key);

  // The symbol of exactly this key, or null.
  const CSkeldaSymbol* Find(std::string_view key) const;
  // The symbol a component's key selects through the three patterns, or null.
  const CSkeldaSymbol* Lookup(std::string_view key) const;

  // The key one pattern makes of a component's key: four characters, a key
  // shorter than four being read as if padded with spaces. A key longer than
  // four characters is used whole by the "...." pattern (so it never matches
  // a four-character key) and by its first two characters by the others.
  static std::string ApplyPattern(std::string_view pattern, std::string_view key);

  const std::map<std::string, CSkeldaSymbol, std::less<>>& Symbols() const { return m_symbols; }

 private:
  std::map<std::string, CSkeldaSymbol, std::less<>> m_symbols;
};
