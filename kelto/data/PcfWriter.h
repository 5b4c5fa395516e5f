// Writing a loaded plant as a PCF file, in the units asked for, so that a
// plant made here can go back to the programs piping engineers use
// (docs/pcf-format.md).
#pragma once

#include <string>

namespace kelto::data {

class File;

enum class PcfUnit { kKeep, kMillimetre, kInch };

struct PcfWriteOptions {
  // Bores: kKeep writes them as the plant has them when all agree, else in
  // millimetres.
  PcfUnit bore = PcfUnit::kKeep;
  // Coordinates are millimetres in the plant; kKeep means millimetres.
  PcfUnit coordinates = PcfUnit::kMillimetre;
};

// The PCF text of the whole plant: one PIPELINE-REFERENCE block per pipeline
// and a MATERIALS section for item codes that carry a DESCRIPTION. Throws
// std::runtime_error naming the component for what PCF cannot carry (a point
// name outside the layouts, an attribute name with spaces or a line break in
// a value), so that nothing is dropped silently.
std::string WritePcf(const File& file, const PcfWriteOptions& options = {});

}  // namespace kelto::data
