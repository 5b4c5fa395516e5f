// Loading many piping files as one plant (File::LoadPlant) and the pieces it
// is made of.
#pragma once

#include <filesystem>
#include <span>
#include <vector>

#include "kelto/data/PlantDraft.h"

namespace kelto::data {

class File;

// The files `paths` stand for: a file as itself, a folder as its entries
// named .pcf or .json (any case of the extension) in name order, whatever
// their kind, so that one which is not a regular file fails when read,
// naming it. Throws LoadError for a folder without any and for a path that
// does not exist.
std::vector<std::filesystem::path> PlantFiles(std::span<const std::filesystem::path> paths);

// A loaded file as a draft, everything explicit, so that it can be merged
// with others.
PlantDraft DraftOf(const File& file);

}  // namespace kelto::data
