// kelto3d: command-line entry point.
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "RenderCommand.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  kelto::cli::ExitWhenRendered();
  return kelto::cli::RunCommandLine(args, std::cout, std::cerr);
}
