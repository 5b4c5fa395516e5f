// "kelto3d info": summarises the solid model of a piping file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kelto::cli {

// Returns the exit code: 0 done, 1 the file could not be read, 2 bad arguments.
int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelto::cli
