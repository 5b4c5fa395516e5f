// Paper sizes of the ISO A series, the sheets drawings are printed on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr double kPointsPerMm = 72.0 / 25.4;

struct CPaper {
  std::string Name;  // "A3"
  double WidthMm = 0;
  double HeightMm = 0;
  bool Landscape = false;

  double WidthPt() const { return WidthMm * kPointsPerMm; }
  double HeightPt() const { return HeightMm * kPointsPerMm; }
  // "A3 landscape"
  std::string Describe() const;
};

// A0 to A4 (case-insensitive), portrait or landscape (long side across).
// Nothing for any other name.
std::optional<CPaper> FindPaper(std::string_view name, bool landscape);

// The names FindPaper knows, for messages: "A0, A1, A2, A3, A4".
std::string PaperNames();
