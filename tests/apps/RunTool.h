// Runs the kelto3d command line in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace kelto::cli::test {

struct Result {
  int code;
  std::string out, err;
};

inline Result RunTool(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunCommandLine(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace kelto::cli::test
