// Reading PCF (piping component files), the plain-text exchange format of
// plant-design and isometric programs, into the same objects the JSON loader
// makes (docs/pcf-format.md).
#pragma once

#include <string>
#include <string_view>

#include "kelto/data/PlantDraft.h"

namespace kelto::data {

struct PcfReadOptions {
  // Skip a component block that cannot be read, with a warning naming it,
  // instead of failing the file.
  bool keepGoing = false;
};

// True when `text` is not JSON (which starts with '{', or a comment), so it
// is read as PCF.
bool LooksLikePcf(std::string_view text);

// Reads the text of one PCF file. Throws LoadError naming `path`, the line
// and the problem.
PlantDraft ReadPcf(std::string_view text, const std::string& path,
                   const PcfReadOptions& options = {});

}  // namespace kelto::data
