#include "DumpCommand.h"

#include "SolidModelArgs.h"
#include "solid/ModelDump.h"

namespace kelto::cli {

namespace {

constexpr const char* kHelp =
    "Usage: kelto3d dump [--detail] [--ext-dims XML] [--type-table XML] FILE\n"
    "\n"
    "Builds the solid model of a piping file and prints its model tree: each\n"
    "node (file, pipeline, component) with its primitives, bound box and\n"
    "minimum contained radius, in the order of the file (docs/cli.md).\n"
    "\n"
    "  --detail           print every field of every primitive (diameters,\n"
    "                     bend centres, directions, colours)\n"
    "  --ext-dims XML     external dimension rules (a file, or text starting with '<')\n"
    "  --type-table XML   component-type table (a file, or text starting with '<')\n"
    "  -h, --help         show this text\n";

}  // namespace

int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseSolidModelArgs(args, {"--detail"}, "dump", err);
  if (!parsed) {
    err << kHelp;
    return 2;
  }
  if (parsed->help) {
    out << kHelp;
    return 0;
  }
  CSolidModelBuilder builder;
  const auto root = BuildSolidModel(*parsed, builder, "dump", err);
  if (!root) return 1;
  kelto::solid::DumpOptions options;
  options.detail = parsed->detail;
  kelto::solid::WriteModelDump(out, *root, options);
  return out ? 0 : 1;
}

}  // namespace kelto::cli
