#include "view/print/Paper.h"

#include <utility>

namespace {

struct Size {
  const char* name;
  double shortMm, longMm;
};
constexpr Size kSizes[] = {
    {"A0", 841, 1189}, {"A1", 594, 841}, {"A2", 420, 594}, {"A3", 297, 420}, {"A4", 210, 297},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

}  // namespace

std::string CPaper::Describe() const {
  return Name + (Landscape ? " landscape" : " portrait");
}

std::optional<CPaper> FindPaper(std::string_view name, bool landscape) {
  for (const Size& s : kSizes) {
    if (!SameName(name, s.name)) continue;
    CPaper paper{s.name, s.shortMm, s.longMm, landscape};
    if (landscape) std::swap(paper.WidthMm, paper.HeightMm);
    return paper;
  }
  return std::nullopt;
}

std::string PaperNames() { return "A0, A1, A2, A3, A4"; }
