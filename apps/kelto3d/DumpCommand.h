// "kelto3d dump": prints the solid model of a piping file as text.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kelto::cli {

// Returns the exit code: 0 done, 1 the file could not be read, 2 bad arguments.
int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelto::cli
