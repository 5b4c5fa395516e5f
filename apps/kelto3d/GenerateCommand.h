// "kelto3d generate": writes a generated plant to a piping file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kelto::cli {

// Runs the command with the arguments after "generate"; returns the process
// exit code (0 done, 1 the file could not be written, 2 bad arguments).
int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelto::cli
