// Converting plants between the JSON piping format and PCF: the work of
// `kelto3d convert`, usable without the command line.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "kelto/data/File.h"
#include "kelto/data/PcfWriter.h"

namespace kelto::data {

enum class PlantFormat { kJson, kPcf };

// The format a file name asks for: ".pcf" (any case) is PCF, anything else JSON.
PlantFormat FormatOf(const std::filesystem::path& path);

// The text of a loaded plant in `format`. Throws std::runtime_error for what
// PCF cannot carry.
std::string PlantText(const File& file, PlantFormat format, const PcfWriteOptions& pcf = {});

// Writes `text` to `path` through a temporary file in the same folder that
// replaces it only when complete, so a failed write leaves the old file.
// Throws std::runtime_error naming the file.
void WriteFileAtomically(const std::filesystem::path& path, const std::string& text);

// Loads `inputs` (one file, a folder or several: one plant) and writes the
// plant to `output` in the format its name asks for. Returns the load's
// warnings. Throws LoadError or std::runtime_error; `output` is then
// untouched.
std::vector<std::string> ConvertPlant(std::span<const std::filesystem::path> inputs,
                                      const std::filesystem::path& output,
                                      const LoadOptions& load = {},
                                      const PcfWriteOptions& pcf = {});

}  // namespace kelto::data
