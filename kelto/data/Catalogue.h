// The symbol catalogue: what each component type is and which component types
// each symbol key may draw.
//
// Every type the library knows has an entry (group, item code, default symbol
// key, shape code, symbol class, description). The loader takes missing
// definition fields of a component from its type's entry, the generator makes
// components from the entries, and the symbol library asks the catalogue
// whether a symbol may draw a component: DescribeType gives the type's symbol
// class, and KeyTypes lists the classes a symbol key (with its variant) is
// drawn for. The data is kelto/data/catalogue.json, compiled into the library;
// docs/symbol-catalogue.md explains it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelto::data {

struct CatalogueType {
  std::string type;   // "Elbow-90"
  std::string group;  // "Fittings"
  std::int32_t itemCode = 0;
  std::string symbolKey;    // four characters, "EL90"
  std::string shapeCode;    // "" or "Offset_2D"
  std::string symbolClass;  // "BEND"
  std::string description;  // "90 degree long-radius elbow"
};

class Catalogue {
 public:
  // The catalogue shipped with the library.
  static const Catalogue& Default();
  // Reads a catalogue in the same JSON form; throws LoadError naming `name`.
  static Catalogue Parse(std::string_view text, const std::string& name);

  std::span<const CatalogueType> Types() const { return types_; }
  const CatalogueType* FindType(std::string_view type) const;

  // {group, symbol class, default symbol key, description}; four empty
  // strings for a type the catalogue does not know.
  std::array<std::string_view, 4> DescribeType(std::string_view type) const;

  // The symbol classes a symbol key may draw. Tried in order: the key with
  // this variant, the key with variant 0, the key's first two characters
  // followed by "**" with this variant, then with variant 0. Empty when none
  // matches (the caller then accepts the symbol for any type).
  std::span<const std::string> KeyTypes(std::string_view key, std::int32_t variant) const;

 private:
  struct KeyHash {
    std::size_t operator()(const std::pair<std::string, std::int32_t>& k) const {
      return std::hash<std::string>()(k.first) ^ (std::hash<std::int32_t>()(k.second) * 31);
    }
  };
  const std::vector<std::string>* FindKey(std::string_view key, std::int32_t variant) const;

  std::vector<CatalogueType> types_;
  std::unordered_map<std::string, std::size_t> typeIndex_;
  std::unordered_map<std::pair<std::string, std::int32_t>, std::vector<std::string>, KeyHash> keys_;
};

}  // namespace kelto::data
