#include "render/StandardViewDir.h"

#include <cctype>

namespace {

struct Entry {
  std::string_view Name;
  CViewDirection Direction;
};

constexpr Entry kTable[kStandardViewDirCount] = {
    {"NorthTopLeft", {{1, 1, -1}, {0, 0, 1}}},     {"NorthTopRight", {{-1, 1, -1}, {0, 0, 1}}},
    {"NorthBottomLeft", {{1, -1, -1}, {0, 0, 1}}}, {"NorthBottomRight", {{-1, -1, -1}, {0, 0, 1}}},
    {"LookDown", {{0, 0, -1}, {0, 1, 0}}},         {"LookUp", {{0, 0, 1}, {0, 1, 0}}},
    {"LookEast", {{1, 0, 0}, {0, 0, 1}}},          {"LookWest", {{-1, 0, 0}, {0, 0, 1}}},
    {"LookNorth", {{0, 1, 0}, {0, 0, 1}}},         {"LookSouth", {{0, -1, 0}, {0, 0, 1}}},
};

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::optional<CViewDirection> GetStandardViewDir(int value) {
  if (value < 0 || value >= kStandardViewDirCount) return std::nullopt;
  return kTable[value].Direction;
}

std::string_view StandardViewDirName(int value) {
  if (value < 0 || value >= kStandardViewDirCount) return {};
  return kTable[value].Name;
}

int ParseStandardViewDir(std::string_view name) {
  if (name.size() > 3 && SameText(name.substr(0, 3), "svd")) name.remove_prefix(3);
  for (int i = 0; i < kStandardViewDirCount; ++i)
    if (SameText(name, kTable[i].Name)) return i;
  return -1;
}
