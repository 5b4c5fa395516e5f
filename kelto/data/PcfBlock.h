// The pieces a PCF file is read in (private to the PCF reader): lines split
// into keyword and value, blocks of lines, the file's units, and the problem
// a line can have.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kelto/data/PlantDraft.h"

namespace kelto::data {

struct PcfLine {
  std::size_t number = 0;  // 1-based
  bool indented = false;
  std::string keyword;  // upper case
  std::string spelled;  // the keyword as written
  std::string value;    // the rest of the line, trimmed
};

// A component: its identifier line and the lines that follow it.
struct PcfBlock {
  PcfLine head;
  std::vector<PcfLine> lines;
};

struct PcfUnits {
  double coordinateScale = 1.0;  // to millimetres
  double boreScale = 1.0;        // to boreUnits
  std::uint8_t boreUnits = kBoreMillimetre;
};

// A problem with one line; the reader adds the file name.
struct PcfProblem {
  std::size_t line;
  std::string keyword;
  std::string text;
};

// Builds the component a block describes (PcfShapes.cpp); throws PcfProblem.
// `warnings` receives what was worked around, without the file name.
DraftComponent BuildPcfComponent(const PcfBlock& block, const PcfUnits& units,
                                 std::vector<PcfProblem>& warnings);

// Gives zero-length legs the direction of the line they sit in and supports
// the component they stand on, once a pipeline's components are known.
void CompletePcfPipeline(DraftPipeline& pipeline, std::vector<PcfProblem>& warnings);

// The name and value length limits of the library, for one line.
void CheckPcfText(const PcfLine& line, std::size_t nameLimit, std::size_t valueLimit);

}  // namespace kelto::data
