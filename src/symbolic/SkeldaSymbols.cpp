#include "symbolic/SkeldaSymbols.h"

#include "symbolic/SymbolFile.h"

void CSkeldaSymbols::Read(const std::string& path) { kelto::symbolic::ReadSymbolFile(path, *this); }

CSkeldaSymbol& CSkeldaSymbols::Open(const std::string& key) { return m_symbols[key]; }

const CSkeldaSymbol* CSkeldaSymbols::Find(std::string_view key) const {
  const auto it = m_symbols.find(key);
  return it == m_symbols.end() ? nullptr : &it->second;
}

const CSkeldaSymbol* CSkeldaSymbols::Lookup(std::string_view key) const {
  for (std::string_view pattern : kPatterns)
    if (const CSkeldaSymbol* symbol = Find(ApplyPattern(pattern, key))) return symbol;
  return nullptr;
}

std::string CSkeldaSymbols::ApplyPattern(std::string_view pattern, std::string_view key) {
  std::string result(pattern);
  bool keepsAll = true;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '.') {
      keepsAll = false;
      continue;
    }
    result[i] = i < key.size() ? key[i] : ' ';
  }
  if (keepsAll && key.size() > pattern.size()) return std::string(key);
  return result;
}
