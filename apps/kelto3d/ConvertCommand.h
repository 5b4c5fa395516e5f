// kelto3d convert: a plant from JSON or PCF files to a JSON or PCF file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kelto::cli {

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelto::cli
