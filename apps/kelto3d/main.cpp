// kelto3d: command-line entry point.
#include <iostream>
#include <string>
#include <vector>

#include "ConvertCommand.h"
#include "DumpCommand.h"
#include "GenerateCommand.h"
#include "InfoCommand.h"
#include "RenderCommand.h"

namespace {

constexpr const char* kUsage =
    "Usage: kelto3d COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  generate   write a generated plant to a piping file (kelto3d generate --help)\n"
    "  convert    convert a plant between JSON and PCF (kelto3d convert --help)\n"
    "  dump       print the solid model of a piping file (kelto3d dump --help)\n"
    "  info       summarise the solid model of a piping file (kelto3d info --help)\n"
    "  render     draw piping files into a PNG, PDF or SVG picture (kelto3d render --help)\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  if (args[0] == "-h" || args[0] == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (args[0] == "generate")
    return kelto::cli::RunGenerate({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (args[0] == "convert")
    return kelto::cli::RunConvert({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (args[0] == "dump")
    return kelto::cli::RunDump({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (args[0] == "info")
    return kelto::cli::RunInfo({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (args[0] == "render")
    return kelto::cli::RunRender({args.begin() + 1, args.end()}, std::cout, std::cerr);
  std::cerr << "kelto3d: unknown command \"" << args[0] << "\"\n" << kUsage;
  return 2;
}
