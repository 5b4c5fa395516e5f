#include "InfoCommand.h"

#include "SolidModelArgs.h"
#include "solid/ModelSummary.h"

namespace kelto::cli {

namespace {

constexpr const char* kHelp =
    "Usage: kelto3d info [--ext-dims XML] [--type-table XML] FILE\n"
    "\n"
    "Builds the solid model of a piping file and summarises it: pipelines,\n"
    "components by type (with the construction function that drew them) and\n"
    "by group, primitives by kind, the bounding box, and every component that\n"
    "fell back to DrawLegs or could not be drawn, with the reason.\n"
    "\n"
    "  --ext-dims XML     external dimension rules (a file, or text starting with '<')\n"
    "  --type-table XML   component-type table (a file, or text starting with '<')\n"
    "  -h, --help         show this text\n";

}  // namespace

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const auto parsed = ParseSolidModelArgs(args, {}, "info", err);
  if (!parsed) {
    err << kHelp;
    return 2;
  }
  if (parsed->help) {
    out << kHelp;
    return 0;
  }
  CSolidModelBuilder builder;
  CModelSummary summary;
  builder.SetObserver(&summary);
  const auto root = BuildSolidModel(*parsed, builder, "info", err);
  if (!root) return 1;
  summary.Write(out, *root);
  return out ? 0 : 1;
}

}  // namespace kelto::cli
