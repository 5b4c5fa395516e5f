#include "DumpCommand.h"

#include <string>

#include "ModelArgs.h"
#include "solid/ModelDump.h"

namespace kelto::cli {

namespace {

const std::string kHelp = std::string(
    "Usage: kelto3d dump [--detail] [--representation R] [--ext-dims XML]\n"
    "                    [--type-table XML] [--symbols FILE]... FILE\n"
    "\n"
    "Builds the model of a piping file (solid, or line-art symbols with\n"
    "--representation symbolic) and prints its model tree: each node (file,\n"
    "pipeline, component) with its primitives, bound box and minimum contained\n"
    "radius, in the order of the file (docs/cli.md).\n"
    "\n"
    "  --detail            print every field of every primitive (diameters,\n"
    "                      bend centres, directions, colours)\n") +
    kModelArgsHelp + "  -h, --help          show this text\n";

}  // namespace

int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseModelArgs(args, {"--detail"}, "dump", err);
  if (!parsed) {
    err << kHelp;
    return 2;
  }
  if (parsed->help) {
    out << kHelp;
    return 0;
  }
  const auto model = BuildModel(*parsed, nullptr, "dump", err);
  if (!model) return 1;
  kelto::solid::DumpOptions options;
  options.detail = parsed->detail;
  kelto::solid::WriteModelDump(out, *model->root, options);
  return out ? 0 : 1;
}

}  // namespace kelto::cli
